#include "platform/Platform.h"

#include "platform/Clipboard.h"
#include "platform/Clock.h"
#include "platform/ColorDialog.h"
#include "platform/Drives.h"
#include "platform/FileDialogs.h"
#include "platform/FileRegistryStore.h"
#include "platform/InputBox.h"
#include "platform/MessageBox.h"
#include "platform/Printer.h"
#include "platform/Shell.h"

namespace platform {

Platform& Platform::system()
{
    static QtMessageBox messageBox;
    static QtInputBox inputBox;
    static QtShell shell;
    static SteadyClock clock;
    static MountedDrives drives;
    static QtFileDialogs fileDialogs{messageBox};
    static FileRegistryStore store{FileRegistryStore::defaultFilePath()};
    static QtColorDialog colorDialog;
    static QtPrinter printer;
    static QtClipboard clipboard;
    static Platform platform{&messageBox, &inputBox, &shell, &clock, &drives, &fileDialogs, &store, &colorDialog, &printer, &clipboard};
    return platform;
}

} // namespace platform
