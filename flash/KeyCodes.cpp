#include "flash/KeyCodes.h"

#include <array>
#include <utility>

namespace flash {

namespace {

constexpr std::array<std::pair<int, int>, 35> kNamedKeys {{
    {Qt::Key_Backspace, 8},   {Qt::Key_Tab, 9},        {Qt::Key_Backtab, 9},      {Qt::Key_Return, 13},
    {Qt::Key_Enter, 13},      {Qt::Key_Shift, 16},     {Qt::Key_Control, 17},     {Qt::Key_Alt, 18},
    {Qt::Key_Pause, 19},      {Qt::Key_CapsLock, 20},  {Qt::Key_Escape, 27},      {Qt::Key_Space, 32},
    {Qt::Key_PageUp, 33},     {Qt::Key_PageDown, 34},  {Qt::Key_End, 35},         {Qt::Key_Home, 36},
    {Qt::Key_Left, 37},       {Qt::Key_Up, 38},        {Qt::Key_Right, 39},       {Qt::Key_Down, 40},
    {Qt::Key_Insert, 45},     {Qt::Key_Delete, 46},    {Qt::Key_NumLock, 144},    {Qt::Key_ScrollLock, 145},
    {Qt::Key_Semicolon, 186}, {Qt::Key_Equal, 187},    {Qt::Key_Comma, 188},      {Qt::Key_Minus, 189},
    {Qt::Key_Period, 190},    {Qt::Key_Slash, 191},    {Qt::Key_QuoteLeft, 192},  {Qt::Key_BracketLeft, 219},
    {Qt::Key_Backslash, 220}, {Qt::Key_BracketRight, 221}, {Qt::Key_Apostrophe, 222},
}};

int codeOf(int key)
{
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return key; // Qt numbers these as their capital letters and digits
    if (key >= Qt::Key_F1 && key <= Qt::Key_F15)
        return 112 + (key - Qt::Key_F1);
    for (const auto& [qtKey, code] : kNamedKeys)
        if (key == qtKey)
            return code;
    return 0;
}

} // namespace

MovieKey movieKeyOf(const QKeyEvent& event)
{
    MovieKey key;
    key.code = codeOf(event.key());
    // The keypad's digits report the keypad codes, as the reference player's did.
    if ((event.modifiers() & Qt::KeypadModifier) && event.key() >= Qt::Key_0 && event.key() <= Qt::Key_9)
        key.code = 96 + (event.key() - Qt::Key_0);
    const QString text = event.text();
    if (text.size() == 1 && text.at(0).unicode() < 128)
        key.ascii = text.at(0).unicode();
    else if (key.code == 8 || key.code == 9 || key.code == 13 || key.code == 27 || key.code == 32 || key.code == 46)
        key.ascii = key.code == 46 ? 127 : key.code;
    return key;
}

} // namespace flash
