// The settings file's text in its own encoding (ANSI, UTF-8 or UTF-16 with a
// mark), and as the reader hands it to the plug-in: in the ANSI code page.
// One reader for every value: what a file with a UTF-8 mark holds reads as
// UTF-8 everywhere.
#pragma once

#include "settings/profile_text.h"

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A text of ours (ANSI) as it stands in a file of the encoding; keys so named.
std::string InFileEncoding(const std::string& text, ProfileEncoding encoding);
std::vector<ProfileKey> InFileEncoding(const std::vector<ProfileKey>& keys, ProfileEncoding encoding);

// A text as it stands in a file of the encoding, as the reader hands it to
// an ANSI caller: a character the code page lacks as "?".
std::string AsAnsi(std::string_view text, ProfileEncoding encoding);

// Values found in a file of the encoding (none: absent), as the reader
// gives them to an ANSI caller.
std::vector<std::string> ValuesAsRead(const std::vector<std::optional<std::string>>& values, ProfileEncoding encoding);

// Many texts as AsAnsi gives each, in as few conversions as they allow; a
// text that is not as it stands points into `storage`.
std::vector<std::string_view> AllAsAnsi(const std::vector<std::string_view>& texts, ProfileEncoding encoding,
                                        std::deque<std::string>& storage);

// The place of each text that is not another spelling of one before it
// (ASCII letters in either case: texts as the reader gives them), in order.
std::vector<std::size_t> FirstOfEachName(const std::vector<std::string_view>& names);

// Whether the reader takes two names, as they stand in a file of the
// encoding, for the same one.
bool SameNameToTheReader(std::string_view a, std::string_view b, ProfileEncoding encoding);
