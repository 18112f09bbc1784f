#include "settings/profile_text.h"

#include "settings/profile_lines.h"

#include "query/shift_jis.h"

#include <algorithm>
#include <cstddef>
#include <deque>
#include <optional>

namespace {

using namespace profile_lines;

struct Span {
    std::size_t start;
    std::size_t end;
};

// A section of the file as it was located: where it stands and its lines,
// cut once on the way through the file.
struct LocatedSection {
    Span span;
    std::vector<std::string_view> lines;
};

// One section of the file, or a new one, cut into lines (header first) once
// a change looks into it.
struct SectionText {
    Span span{0, 0};
    const ProfileChange* madeBy = nullptr; // for a new section: the change that made it
    std::vector<std::string_view> lines;
};

// The changes to sections of one name, in order, the keys wanted of them,
// and the sections of that name in the file, in order.
struct SectionChanges {
    std::string_view name;
    std::vector<const ProfileChange*> changes;
    std::vector<std::size_t> wanted; // places in the list of wanted keys
    std::vector<LocatedSection> spans;
};

class Editor {
public:
    Editor(std::string_view text, ProfileEncoding encoding, SameNameFunction sameName)
        : text_(text), encoding_(encoding), sameName_(sameName) {}

    ProfileEdit Edit(const std::vector<ProfileChange>& changes, const std::vector<ProfileKey>& wanted,
                     std::optional<std::size_t> asking) {
        asking_ = asking && *asking < changes.size() ? &changes[*asking] : nullptr;
        std::vector<SectionChanges> groups = GroupBySection(changes, wanted);
        LocateSections(groups);
        edit_.wantedValues.resize(wanted.size());
        for (SectionChanges& group : groups) {
            std::vector<SectionText*> sections;
            for (LocatedSection& located : group.spans)
                sections.push_back(&Cut(located));
            for (const ProfileChange* change : group.changes)
                Apply(*change, sections);
            for (const std::size_t i : group.wanted)
                edit_.wantedValues[i] = ValueAsRead(sections, wanted[i].key);
        }
        Assemble();
        return std::move(edit_);
    }

private:
    std::string_view Write(std::string text) {
        edit_.changed = true;
        edit_.written.push_back(std::move(text));
        return edit_.written.back();
    }

    std::vector<SectionChanges> GroupBySection(const std::vector<ProfileChange>& changes,
                                               const std::vector<ProfileKey>& wanted) const {
        std::vector<SectionChanges> groups;
        const auto groupOf = [&](std::string_view section) -> SectionChanges& {
            for (SectionChanges& known : groups) {
                if (sameName_(known.name, section, encoding_))
                    return known;
            }
            groups.push_back({section, {}, {}, {}});
            return groups.back();
        };
        for (const ProfileChange& change : changes)
            groupOf(change.section).changes.push_back(&change);
        for (std::size_t i = 0; i < wanted.size(); ++i)
            groupOf(wanted[i].section).wanted.push_back(i);
        return groups;
    }

    // A key's value as the reader gives it: from the first section of its
    // name, the first line of the key, trimmed, with one pair of enclosing
    // quotes (double or single) gone.
    std::optional<std::string> ValueAsRead(const std::vector<SectionText*>& sections, std::string_view key) const {
        if (sections.empty())
            return std::nullopt;
        const SectionText& section = *sections.front();
        const std::size_t found = FindKey(section, key);
        if (!found)
            return std::nullopt;
        return ValueOfLine(section.lines[found]);
    }

    // A key's line's value as the reader gives it.
    std::string ValueOfLine(std::string_view line) const {
        const LineShape shape = ShapeOf(line, encoding_);
        return std::string(shape.hasValue ? Unquoted(shape.value, encoding_) : std::string_view());
    }

public:
    std::vector<ProfileLine> List(std::string_view sectionName) {
        std::vector<SectionChanges> groups = {{sectionName, {}, {}, {}}};
        LocateSections(groups);
        std::vector<ProfileLine> listed;
        if (groups.front().spans.empty())
            return listed;
        const SectionText& section = Cut(groups.front().spans.front());
        listed.reserve(section.lines.size());
        for (std::size_t i = 1; i < section.lines.size(); ++i) {
            if (!IsUtf16(encoding_)) {
                if (const std::optional<ProfileLine> line = KeyLineOfBytes(section.lines[i]))
                    listed.push_back(*line);
                continue;
            }
            const LineShape shape = ShapeOf(section.lines[i], encoding_);
            if (!shape.blank)
                listed.push_back({shape.name, shape.hasValue ? Unquoted(shape.value, encoding_) : std::string_view()});
        }
        return listed;
    }

    // ShapeOf for a line that is no header, where every ASCII character is
    // a byte (ANSI and UTF-8): the same reading in one tight pass, for the
    // thousands of lines of a section of favourites. Nothing for a blank
    // line.
    std::optional<ProfileLine> KeyLineOfBytes(std::string_view line) const {
        const ByteKind* const kinds = ByteKindsOf(encoding_);
        const std::size_t npos = std::string_view::npos;
        // The name (0), then the value after the first "=" (1): where each
        // starts and ends, white space around it left out.
        std::size_t start[2] = {npos, npos};
        std::size_t end[2] = {0, 0};
        int part = 0;
        for (std::size_t at = 0; at < line.size();) {
            const ByteKind kind = kinds[static_cast<unsigned char>(line[at])];
            if (kind == ByteKind::Other) { // most bytes: a run of them at once
                if (start[part] == npos)
                    start[part] = at;
                do
                    ++at;
                while (at < line.size() && kinds[static_cast<unsigned char>(line[at])] == ByteKind::Other);
                end[part] = at;
                continue;
            }
            // A lead byte takes the next byte, whatever it is.
            const std::size_t length = kind == ByteKind::Lead && at + 1 < line.size() ? 2 : 1;
            if (length == 1 && kind == ByteKind::LineEnd)
                break;
            if (length == 1 && (kind == ByteKind::Blank || (kind == ByteKind::Equals && part == 0))) {
                part = kind == ByteKind::Equals ? 1 : part;
                ++at;
                continue;
            }
            if (start[part] == npos)
                start[part] = at;
            at += length;
            end[part] = at;
        }
        const auto trimmed = [&](int which) {
            return start[which] == npos ? std::string_view() : line.substr(start[which], end[which] - start[which]);
        };
        if (part == 0 && start[0] == npos)
            return std::nullopt;
        return ProfileLine{trimmed(0), part == 1 ? Unquoted(trimmed(1), encoding_) : std::string_view()};
    }

private:

    // Where every section of each name stands: from its header to the next
    // header or the end.
    void LocateSections(std::vector<SectionChanges>& groups) {
        LocatedSection* open = nullptr;
        for (std::size_t at = MarkLength(encoding_); at < text_.size();) {
            const std::string_view line = LineAt(text_, at, encoding_);
            lastLine_ = line;
            const LineShape shape = MayBeHeader(line, encoding_) ? ShapeOf(line, encoding_) : LineShape();
            if (shape.header) {
                if (open)
                    open->span.end = at;
                open = nullptr;
                for (SectionChanges& group : groups) {
                    if (sameName_(shape.name, group.name, encoding_)) {
                        group.spans.push_back({{at, text_.size()}, {}});
                        open = &group.spans.back();
                        // Room for its lines as a section of favourites has
                        // them: moving a vector of megabytes as it grows
                        // costs more than cutting the lines.
                        open->lines.reserve((text_.size() - at) / 16 + 16);
                        break;
                    }
                }
            }
            if (open)
                open->lines.push_back(line);
            at += line.size();
        }
    }

    SectionText& Cut(LocatedSection& located) {
        sections_.push_back({located.span, nullptr, std::move(located.lines)});
        return sections_.back();
    }

    // The first line of a key of that name, or 0.
    std::size_t FindKey(const SectionText& section, std::string_view key) const {
        // A name that starts with an ASCII character is told apart from
        // most lines by their first byte that is not white space: no other
        // character reads as that one. (A section of favourites has
        // thousands of lines.)
        const bool byFirstByte = !IsUtf16(encoding_) && !key.empty() && static_cast<unsigned char>(key[0]) < 0x80 &&
                                 !IsReaderWhiteSpace(static_cast<unsigned char>(key[0]));
        const unsigned first = AsciiLower(static_cast<unsigned char>(key.empty() ? 0 : key[0]));
        for (std::size_t i = 1; i < section.lines.size(); ++i) {
            if (byFirstByte) {
                const std::string_view line = section.lines[i];
                std::size_t at = 0;
                while (at < line.size() && IsReaderWhiteSpace(static_cast<unsigned char>(line[at])))
                    ++at;
                if (at == line.size() || AsciiLower(static_cast<unsigned char>(line[at])) != first)
                    continue;
            }
            const std::optional<std::string_view> name = KeyNameOf(section.lines[i], encoding_);
            if (name && sameName_(*name, key, encoding_))
                return i;
        }
        return 0;
    }

    void Apply(const ProfileChange& change, std::vector<SectionText*>& sections) {
        // Where the key stands in the first section, looked up once.
        std::optional<std::size_t> inFirst;
        if (&change == asking_) {
            inFirst = sections.empty() ? 0 : FindKey(*sections.front(), change.key);
            edit_.previous = *inFirst ? std::optional<std::string>(ValueOfLine(sections.front()->lines[*inFirst]))
                                      : std::nullopt;
            // Another value held already stays, for the user to decide.
            if (change.value && edit_.previous && !edit_.previous->empty() &&
                *edit_.previous != ValueOfLine(change.key + Encoded("=", encoding_) + *change.value)) {
                edit_.keptPrevious = true;
                return;
            }
        }
        if (!change.value) {
            for (SectionText* section : sections) {
                if (const std::size_t found = FindKey(*section, change.key)) {
                    edit_.changed = true;
                    section->lines.erase(section->lines.begin() + static_cast<std::ptrdiff_t>(found));
                    return;
                }
            }
            return;
        }
        if (sections.empty()) {
            // A section comes into being with its first key set, at the end.
            sections_.push_back({{text_.size(), text_.size()}, &change, {}});
            sections_.back().lines.push_back(Write(Encoded("[", encoding_) + change.section + Encoded("]", encoding_) +
                                                   Encoded("\r\n", encoding_)));
            sections.push_back(&sections_.back());
        }
        SectionText& section = *sections.front();
        const std::string equals = Encoded("=", encoding_);
        if (const std::size_t found = inFirst ? *inFirst : FindKey(section, change.key)) {
            const std::string_view line = section.lines[found];
            const LineShape shape = ShapeOf(line, encoding_);
            if (shape.hasValue && shape.value == *change.value)
                return;
            // The name as the file spells it, and the line's own line end.
            section.lines[found] = Write(std::string(shape.name) + equals + *change.value +
                                         std::string(LineEndOf(line, encoding_)));
            return;
        }
        std::size_t last = section.lines.size() - 1;
        while (last > 0 && ShapeOf(section.lines[last], encoding_).blank)
            --last;
        if (const std::string lineEnd = LineEndAfter(section.lines[last], encoding_); !lineEnd.empty())
            section.lines[last] = Write(std::string(section.lines[last]) + lineEnd);
        section.lines.insert(section.lines.begin() + static_cast<std::ptrdiff_t>(last + 1),
                             Write(change.key + equals + *change.value + Encoded("\r\n", encoding_)));
    }

    // Adds a piece, joined to the one before where it follows it in memory
    // (the old text's unchanged lines come back together).
    void AddPiece(std::string_view piece) {
        if (piece.empty())
            return;
        std::vector<std::string_view>& pieces = edit_.pieces;
        if (!pieces.empty() && pieces.back().data() + pieces.back().size() == piece.data())
            pieces.back() = std::string_view(pieces.back().data(), pieces.back().size() + piece.size());
        else
            pieces.push_back(piece);
    }

    void AddLines(const SectionText& section) {
        for (const std::string_view line : section.lines)
            AddPiece(line);
    }

    // The sections of the file in the order they stand, new ones at the end
    // in the order the changes made them.
    void Assemble() {
        std::vector<const SectionText*> old;
        std::vector<const SectionText*> made;
        for (const SectionText& section : sections_)
            (section.madeBy ? made : old).push_back(&section);
        std::sort(old.begin(), old.end(),
                  [](const SectionText* a, const SectionText* b) { return a->span.start < b->span.start; });
        std::sort(made.begin(), made.end(),
                  [](const SectionText* a, const SectionText* b) { return a->madeBy < b->madeBy; });
        std::size_t copied = 0;
        for (const SectionText* section : old) {
            AddPiece(text_.substr(copied, section->span.start - copied));
            AddLines(*section);
            copied = section->span.end;
        }
        AddPiece(text_.substr(copied));
        // What new sections follow: the file's last line, or the last of
        // the last section changed.
        std::string_view last = lastLine_;
        if (!old.empty() && old.back()->span.end == text_.size())
            last = old.back()->lines.back();
        for (const SectionText* section : made) {
            if (const std::string lineEnd = LineEndAfter(last, encoding_); !lineEnd.empty())
                AddPiece(Write(lineEnd));
            AddLines(*section);
            last = section->lines.back();
        }
    }

    std::string_view text_;
    ProfileEncoding encoding_;
    SameNameFunction sameName_;
    const ProfileChange* asking_ = nullptr;
    std::string_view lastLine_;        // of the file
    std::deque<SectionText> sections_; // stable addresses
    ProfileEdit edit_;
};

} // namespace

std::string ProfileEdit::Joined() const {
    std::string text;
    for (const std::string_view piece : pieces)
        text += piece;
    return text;
}

ProfileEdit EditProfile(std::string_view file, ProfileEncoding encoding, const std::vector<ProfileChange>& changes,
                        SameNameFunction sameName, const std::vector<ProfileKey>& wanted,
                        std::optional<std::size_t> asking) {
    return Editor(file, encoding, sameName).Edit(changes, wanted, asking);
}

std::vector<ProfileLine> ListProfileSection(std::string_view file, ProfileEncoding encoding, std::string_view section,
                                            SameNameFunction sameName) {
    return Editor(file, encoding, sameName).List(section);
}
