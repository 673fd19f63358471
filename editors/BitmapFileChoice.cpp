#include "editors/BitmapFileChoice.h"

#include "controls/BitmapFile.h"
#include "framework/CurrentDirectory.h"
#include "framework/Seams.h"


void ShowPreview(HWND hwndPreview, const CBitmap& bitmap)
{
    ::SendMessageA(hwndPreview, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap.GetSafeHandle()));
}

void ChooseBitmapFile(CWnd& dialog, std::string& strChosen, CBitmap& bitmap, HWND hwndPreview)
{
    // The box may change the current directory, and every path of the program starts from it.
    CCurrentDirectoryKeeper keeper;

    std::string path;
    if (ShowFileOpenBox(ExistingFileRequest("Bitmap files", "bmp"), path)) {
        // Only a bitmap that the assistant can show may become its artwork.
        if (IsLoadableBitmapFile(path))
            strChosen = path;
        else
            dialog.MessageBox("This file is not a bitmap that the assistant can show:\n" + path, kImageErrorCaption,
                              MB_OK);
    }
    if (!strChosen.empty()) {
        LoadBitmapFile(bitmap, strChosen);
        ShowPreview(hwndPreview, bitmap);
    }
}
