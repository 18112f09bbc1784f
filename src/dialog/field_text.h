// The query field keeps what was typed, pasted or put in by an input method
// in UTF-16, every character of it; the run takes it in the system's ANSI
// code page, as GetWindowTextA gives it. These tie the two together.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

struct FieldText {
    std::string ansi;  // the text (or its start) as the run takes it
    std::size_t caret; // in bytes of `ansi` (at most its end); npos for a selection
    // Where `ansi` holds the system's default character for a character the
    // code page cannot hold at all (a best-fit substitution is no such
    // place), and the first of those characters as typed.
    std::vector<std::size_t> unconverted;
    std::wstring firstUnconverted;
};

// The field's first `mostUnits` UTF-16 units (std::wstring::npos: all of
// it) and its caret; the characters that do not convert are looked for
// when asked. Memory running out throws.
FieldText ReadField(HWND field, std::size_t mostUnits, bool findUnconverted);

// The field's text up to just past its caret (what the term at the caret
// needs), when the caret stands within the first `caretUnitsAtMost` UTF-16
// units; else nothing is read and the caret is npos: a keystroke costs the
// same whatever was pasted. Memory running out throws.
FieldText ReadFieldToCaret(HWND field, std::size_t caretUnitsAtMost);

// Puts `text` (ANSI) in place of the `bytes` bytes (as the run takes them)
// before the caret, the caret after it; the rest of the field stays as typed.
// Memory running out throws.
void ReplaceBeforeCaret(HWND field, std::size_t bytes, const std::string& text);

// A window's text, whole, as typed. Memory running out throws.
std::wstring TypedText(HWND window);

// An ANSI text in UTF-16. Memory running out throws.
std::wstring WideText(const std::string& ansi);
