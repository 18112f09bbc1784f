#include "settings/profile_text.h"

#include "query/shift_jis.h"

#include <algorithm>
#include <cstddef>
#include <deque>

namespace {

const std::string_view kLineEnd = "\r\n";

bool IsWhiteSpace(char byte) {
    return byte == ' ' || byte == '\t' || byte == '\r' || byte == '\n' || byte == '\v' || byte == '\f';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsWhiteSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsWhiteSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

char AsciiLower(char byte) {
    return byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte - 'A' + 'a') : byte;
}

// The line that starts at `at`, its line end included.
std::string_view LineAt(std::string_view text, std::size_t at) {
    const std::size_t end = text.find('\n', at);
    return text.substr(at, end == std::string_view::npos ? std::string_view::npos : end + 1 - at);
}

bool EndsWithLineEnd(std::string_view line) {
    return !line.empty() && line.back() == '\n';
}

// A section's header: a line that starts with "[" and has a "]" after it;
// the name is what stands between the first and the last of them.
std::optional<std::string_view> HeaderName(std::string_view line) {
    std::size_t first = 0;
    while (first < line.size() && IsWhiteSpace(line[first]))
        ++first;
    if (first == line.size() || line[first] != '[')
        return std::nullopt;
    const std::string_view content = Trim(line.substr(first));
    const std::size_t close = content.rfind(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return Trim(content.substr(1, close - 1));
}

// A key's line: its name is what stands before the first "=" (all of it,
// without one).
std::string_view KeyName(std::string_view line) {
    const std::string_view content = Trim(line);
    return Trim(content.substr(0, content.find('=')));
}

bool IsBlank(std::string_view line) {
    return Trim(line).empty();
}

// The lines of one section, header first, being changed; new texts are
// kept in the edit.
struct SectionLines {
    ProfileEdit& edit;
    std::vector<std::string_view> lines;

    std::string_view Write(std::string text) {
        edit.changed = true;
        edit.written.push_back(std::move(text));
        return edit.written.back();
    }

    void Apply(const ProfileChange& change) {
        std::size_t found = 0;
        for (std::size_t i = 1; i < lines.size() && !found; ++i) {
            if (SameProfileName(KeyName(lines[i]), change.key))
                found = i;
        }
        if (!change.value) {
            if (found) {
                edit.changed = true;
                lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(found));
            }
            return;
        }
        // A changed key keeps the name as the file spells it.
        const std::string_view name = found ? KeyName(lines[found]) : std::string_view(change.key);
        std::string line = std::string(name) + "=" + *change.value + std::string(kLineEnd);
        if (found) {
            if (lines[found] != line)
                lines[found] = Write(std::move(line));
            return;
        }
        std::size_t last = lines.size() - 1;
        while (last > 0 && IsBlank(lines[last]))
            --last;
        if (!EndsWithLineEnd(lines[last]))
            lines[last] = Write(std::string(lines[last]) + std::string(kLineEnd));
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(last + 1), Write(std::move(line)));
    }
};

// Adds a piece, joined to the one before where it follows it in memory (the
// old text's unchanged lines come back together).
void AddPiece(ProfileEdit& edit, std::string_view piece) {
    if (piece.empty())
        return;
    if (!edit.pieces.empty() && edit.pieces.back().data() + edit.pieces.back().size() == piece.data())
        edit.pieces.back() = std::string_view(edit.pieces.back().data(), edit.pieces.back().size() + piece.size());
    else
        edit.pieces.push_back(piece);
}

// The changes to one section, in order, and where it stands in the text.
struct SectionChanges {
    std::string_view name;
    std::vector<const ProfileChange*> changes;
    std::size_t start = std::string_view::npos; // npos: not in the text
    std::size_t end = std::string_view::npos;
};

std::vector<SectionChanges> GroupBySection(const std::vector<ProfileChange>& changes) {
    std::vector<SectionChanges> sections;
    for (const ProfileChange& change : changes) {
        SectionChanges* section = nullptr;
        for (SectionChanges& known : sections) {
            if (SameProfileName(known.name, change.section))
                section = &known;
        }
        if (!section) {
            sections.push_back({change.section, {}});
            section = &sections.back();
        }
        section->changes.push_back(&change);
    }
    return sections;
}

// Finds where each section stands: the first header of its name, up to the
// next header or the end.
void LocateSections(std::string_view text, std::vector<SectionChanges>& sections) {
    SectionChanges* open = nullptr;
    for (std::size_t at = 0; at < text.size();) {
        const std::string_view line = LineAt(text, at);
        if (const std::optional<std::string_view> name = HeaderName(line)) {
            if (open)
                open->end = at;
            open = nullptr;
            for (SectionChanges& section : sections) {
                if (section.start == std::string_view::npos && SameProfileName(section.name, *name)) {
                    section.start = at;
                    open = &section;
                    break;
                }
            }
        }
        at += line.size();
    }
    if (open)
        open->end = text.size();
}

void SplitLines(std::string_view text, std::vector<std::string_view>& lines) {
    for (std::size_t at = 0; at < text.size();) {
        lines.push_back(LineAt(text, at));
        at += lines.back().size();
    }
}

void AddLines(ProfileEdit& edit, const SectionLines& section) {
    for (const std::string_view line : section.lines)
        AddPiece(edit, line);
}

} // namespace

bool SameProfileName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size();) {
        if (ShiftJisCharLength(a.data(), i, a.size()) == 2) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1])
                return false;
            i += 2;
        } else {
            if (AsciiLower(a[i]) != AsciiLower(b[i]))
                return false;
            ++i;
        }
    }
    return true;
}

std::string ProfileEdit::Joined() const {
    std::string text;
    for (const std::string_view piece : pieces)
        text += piece;
    return text;
}

ProfileEdit EditProfile(std::string_view text, const std::vector<ProfileChange>& changes) {
    std::vector<SectionChanges> sections = GroupBySection(changes);
    LocateSections(text, sections);
    // The sections found, in the order they stand, so that the text is
    // gone through in order.
    std::vector<SectionChanges*> found;
    for (SectionChanges& section : sections) {
        if (section.start != std::string_view::npos)
            found.push_back(&section);
    }
    std::sort(found.begin(), found.end(),
              [](const SectionChanges* a, const SectionChanges* b) { return a->start < b->start; });
    ProfileEdit edit;
    std::size_t copied = 0;
    for (const SectionChanges* section : found) {
        SectionLines lines{edit, {}};
        SplitLines(text.substr(section->start, section->end - section->start), lines.lines);
        for (const ProfileChange* change : section->changes)
            lines.Apply(*change);
        AddPiece(edit, text.substr(copied, section->start - copied));
        AddLines(edit, lines);
        copied = section->end;
    }
    AddPiece(edit, text.substr(copied));
    // New sections at the end, in the order they were made.
    bool lineEnded = edit.pieces.empty() || edit.pieces.back().back() == '\n';
    for (const SectionChanges& section : sections) {
        if (section.start != std::string_view::npos)
            continue;
        SectionLines lines{edit, {}};
        for (const ProfileChange* change : section.changes) {
            // A section comes into being with its first key set.
            if (lines.lines.empty() && change->value)
                lines.lines.push_back(lines.Write("[" + change->section + "]" + std::string(kLineEnd)));
            if (!lines.lines.empty())
                lines.Apply(*change);
        }
        if (lines.lines.empty())
            continue;
        if (!lineEnded)
            AddPiece(edit, kLineEnd);
        lineEnded = true;
        AddLines(edit, lines);
    }
    return edit;
}

std::vector<std::string> ProfileKeysWithValues(std::string_view text, std::string_view section) {
    std::vector<std::string> keys;
    bool inSection = false;
    for (std::size_t at = 0; at < text.size();) {
        const std::string_view line = LineAt(text, at);
        at += line.size();
        if (const std::optional<std::string_view> name = HeaderName(line)) {
            if (inSection)
                break; // only the first section of the name counts
            inSection = SameProfileName(*name, section);
            continue;
        }
        const std::string_view content = Trim(line);
        const std::size_t equals = content.find('=');
        if (inSection && !content.empty() && content.front() != ';' && equals != std::string_view::npos &&
            !Trim(content.substr(equals + 1)).empty())
            keys.emplace_back(KeyName(line));
    }
    return keys;
}
