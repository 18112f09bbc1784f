// Texts for the query tests, written readably: UTF-8 converted to Shift_JIS
// by the platform's own table.
#pragma once

#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

// A text converted between UTF-8 and Shift_JIS by the platform's own table
// (Windows' code page 932; glibc's CP932, the same table).
inline std::string Converted(const std::string& text, bool toShiftJis) {
#ifdef _WIN32
    const UINT from = toShiftJis ? CP_UTF8 : 932, to = toShiftJis ? 932 : CP_UTF8;
    std::wstring wide(text.size(), L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), &wide[0], static_cast<int>(wide.size()))));
    std::string out(3 * wide.size(), '\0');
    out.resize(static_cast<std::size_t>(WideCharToMultiByte(to, 0, wide.data(), static_cast<int>(wide.size()), &out[0],
                                                            static_cast<int>(out.size()), nullptr, nullptr)));
    return out;
#else
    const iconv_t convert = toShiftJis ? iconv_open("CP932", "UTF-8") : iconv_open("UTF-8", "CP932");
    std::string out(3 * text.size() + 1, '\0');
    char* in = const_cast<char*>(text.data());
    char* to = &out[0];
    std::size_t left = text.size(), room = out.size();
    iconv(convert, &in, &left, &to, &room);
    iconv_close(convert);
    out.resize(out.size() - room);
    return out;
#endif
}

inline std::string Sjis(const std::string& utf8) {
    return Converted(utf8, true);
}

