#include "dialog/field_text.h"

#include <algorithm>

namespace {

// The bytes a UTF-16 text takes in the ANSI code page, as GetWindowTextA
// converts it; whether the default character stood in for any of it.
std::size_t AnsiLength(const wchar_t* text, std::size_t units, bool* usedDefault = nullptr) {
    if (units == 0)
        return 0;
    BOOL defaulted = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(units), nullptr, 0, nullptr,
                                           usedDefault ? &defaulted : nullptr);
    if (usedDefault)
        *usedDefault = defaulted != FALSE;
    return static_cast<std::size_t>(std::max(length, 0));
}

// The text as GetWindowTextA gives it; whether the default character stood
// in for any of it.
std::string Ansi(const wchar_t* text, std::size_t units, bool& usedDefault) {
    std::string ansi(AnsiLength(text, units), '\0');
    BOOL defaulted = FALSE;
    if (!ansi.empty())
        WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(units), &ansi[0], static_cast<int>(ansi.size()), nullptr,
                            &defaulted);
    usedDefault = defaulted != FALSE;
    return ansi;
}

// The UTF-16 units of the character that starts at `at`: two for a
// surrogate pair.
std::size_t CharacterUnits(const std::wstring& text, std::size_t at) {
    return at + 1 < text.size() && text[at] >= 0xD800 && text[at] <= 0xDBFF && text[at + 1] >= 0xDC00 &&
                   text[at + 1] <= 0xDFFF
               ? 2
               : 1;
}

// The window's first `units` UTF-16 units (fewer when it holds fewer).
std::wstring TypedStart(HWND window, std::size_t units) {
    std::wstring typed(units + 1, L'\0');
    typed.resize(static_cast<std::size_t>(std::max(GetWindowTextW(window, &typed[0], static_cast<int>(units + 1)), 0)));
    return typed;
}

// The field's caret, in UTF-16 units; npos for a selection.
std::size_t CaretUnits(HWND field) {
    DWORD start = 0, end = 0;
    SendMessageW(field, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return start == end ? end : std::wstring::npos;
}

} // namespace

std::wstring WideText(const std::string& ansi) {
    std::wstring wide(ansi.size(), L'\0');
    if (!ansi.empty())
        wide.resize(static_cast<std::size_t>(std::max(
            MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &wide[0], static_cast<int>(wide.size())),
            0)));
    return wide;
}

std::wstring TypedText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0)
        return std::wstring();
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(std::max(GetWindowTextW(window, &text[0], length + 1), 0)));
    return text;
}

FieldText ReadField(HWND field, std::size_t mostUnits, bool findUnconverted) {
    const std::wstring typed = mostUnits == std::wstring::npos ? TypedText(field) : TypedStart(field, mostUnits);
    bool anyDefault = false;
    FieldText read{Ansi(typed.data(), typed.size(), anyDefault), std::string::npos, {}, {}};
    if (const std::size_t caret = CaretUnits(field); caret != std::wstring::npos)
        read.caret = caret >= typed.size() ? read.ansi.size() : AnsiLength(typed.data(), caret);
    if (!findUnconverted || !anyDefault)
        return read;
    // Character by character only where one did not convert.
    std::size_t byte = 0;
    for (std::size_t at = 0; at < typed.size();) {
        const std::size_t units = CharacterUnits(typed, at);
        bool defaulted = false;
        const std::size_t bytes = typed[at] < 0x80 ? 1 : AnsiLength(typed.data() + at, units, &defaulted);
        if (defaulted) {
            if (read.unconverted.empty())
                read.firstUnconverted = typed.substr(at, units);
            read.unconverted.push_back(byte);
        }
        byte += bytes;
        at += units;
    }
    return read;
}

FieldText ReadFieldToCaret(HWND field, std::size_t caretUnitsAtMost) {
    const std::size_t caret = CaretUnits(field);
    if (caret == std::wstring::npos || caret > caretUnitsAtMost)
        return {std::string(), std::string::npos, {}, {}};
    // The character after the caret tells whether a term ends there (a
    // full-width space is one unit).
    return ReadField(field, caret + 2, false);
}

void ReplaceBeforeCaret(HWND field, std::size_t bytes, const std::string& text) {
    const std::size_t caret = CaretUnits(field);
    if (caret == std::wstring::npos)
        return;
    const std::wstring typed = TypedStart(field, caret);
    // Back from the caret, whole characters, until they make the bytes.
    std::size_t start = typed.size();
    std::size_t taken = 0;
    while (start > 0 && taken < bytes) {
        std::size_t units = 1;
        if (start >= 2 && CharacterUnits(typed, start - 2) == 2)
            units = 2;
        start -= units;
        taken += AnsiLength(typed.data() + start, units);
    }
    const std::wstring replacement = WideText(text);
    SendMessageW(field, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(typed.size()));
    SendMessageW(field, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(replacement.c_str()));
}
