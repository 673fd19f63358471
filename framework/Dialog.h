// CDialog: a modal dialog built from a dialog template of the running module. DoModal runs
// the dialog's own message loop, so PreTranslateMessage sees every message first. The dialog
// is owned by its parent, or without one by the application's main window when there is one;
// that owner is disabled while the dialog runs.
#pragma once

#include "framework/Wnd.h"

class CDataExchange;

class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParent = nullptr);
    ~CDialog() override;

    // Creates the dialog, runs it until EndDialog and destroys it; returns the value given to
    // EndDialog, or -1 when the dialog could not be created.
    INT_PTR DoModal();
    void EndDialog(int nResult);

    // Moves data between controls and members: towards the members when bSaveAndValidate is
    // true, towards the controls otherwise. False when a field failed validation.
    bool UpdateData(bool bSaveAndValidate = true);

    virtual bool PreTranslateMessage(MSG* pMsg);

protected:
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* pDX);

    const MessageMap* GetMessageMap() const override;
    void PostNcDestroy() override;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    HWND ModalOwner() const;
    static INT_PTR CALLBACK StaticDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void RunModalLoop();

    bool m_bEndModal = false;
    int m_nModalResult = -1;
};
