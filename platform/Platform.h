#pragma once

// Everything the program asks of the desktop, in one place. Windows take a
// Platform and call through it; tests hand them one built of doubles.

namespace platform {

class Clipboard;
class Clock;
class ColorDialog;
class Drives;
class FileDialogs;
class InputBox;
class MessageBox;
class Printer;
class RegistryStore;
class Shell;

struct Platform {
    MessageBox* messageBox = nullptr;
    InputBox* inputBox = nullptr;
    Shell* shell = nullptr;
    Clock* clock = nullptr;
    Drives* drives = nullptr;
    FileDialogs* fileDialogs = nullptr;
    RegistryStore* store = nullptr;
    ColorDialog* colorDialog = nullptr;
    Printer* printer = nullptr;
    Clipboard* clipboard = nullptr;

    // The real desktop, for the life of the process.
    static Platform& system();
};

} // namespace platform
