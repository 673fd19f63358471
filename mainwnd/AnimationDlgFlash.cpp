// The main window's event sink for the animation control.
#include "mainwnd/AnimationDlg.h"

LRESULT CAnimationDlg::OnNotify(WPARAM wParam, LPARAM lParam)
{
    const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
    if (hdr && hdr->idFrom == IDC_ANIMATION && hdr->code == kFlashReadyStateChange) {
        OnReadyStateChange(reinterpret_cast<const NMFLASHREADYSTATE*>(hdr)->nReadyState);
        return 0;
    }
    return Default(WM_NOTIFY, wParam, lParam);
}

void CAnimationDlg::OnReadyStateChange(long /*nReadyState*/)
{
    // Every change of the ready state, whatever the state, asks the control to play.
    m_flash.Play();
}
