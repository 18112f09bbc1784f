#include "query/translate.h"

#include "query/expression.h"
#include "query/term_finder.h"
#include "query/term_records.h"
#include "query/word_escape.h"

#include <cstring>

// How the translation stays linear.
//
// Taken literally, every term costs a pass over the rest of the query: the
// default prefix is put in front of it, the phrase search scans all of it, the
// term is cut out of it, and all of it is trimmed. Here the query is a linked
// list of its bytes (linked_query.h), so that putting the prefix in front and
// cutting a term out cost only their own length, and for every pattern a term
// can start with (each prefix followed by a quote, each prefix followed by a
// byte other than a space, and "attach:*") an ordered set holds where it
// occurs (pattern_index.h). A search for the leftmost match is then a look at
// the first element of a set (term_finder.cpp):
//
// - A word matches wherever its prefix is followed by something other than a
//   space, so the first such place is the match.
// - A phrase scan from a quote either ends at the first unescaped quote or
//   runs to the end of the query; and when one runs to the end, no prefix's
//   quote can follow (it would end that scan), so only the first candidate
//   ever needs scanning. Candidates whose quote is directly followed by
//   another can never match and are not kept; a scan that ran to the end is
//   remembered until something after its quote is cut.
//
// Cutting bytes out joins two parts of the query, and only patterns that
// span the joint can appear or vanish: the few places before it are looked at
// again. Trimming after a term likewise only has new work at the joint, once
// the first term's trim has gone over the whole query.
//
// And how it stays small: the plug-in lives in a 32-bit process, whose
// address space a pasted text can fill. A node costs ten bytes (its byte,
// its two links, which patterns occur from it); the terms are recorded about
// as compactly as the query's own bytes (term_records.h); and the expression
// is allocated once, at its final length, after the nodes are gone
// (expression.cpp).

// Takes every term off the query, in order; words are encoded as they come.
TermRecords TakeQueryTerms(const std::string& query, WordEncoder encodeWord, Separators separators) {
    TermFinder finder;
    StartFinding(finder, query, separators);
    TermRecords records(query.size() + 16);
    std::string word; // reused: holds each word in turn, for the encoder
    std::string escaped;
    for (bool first = true; HasTermsLeft(finder); first = false) {
        const FoundTerm term = FindNextTerm(finder);
        // Phrases and flags go straight into the records; a word first to
        // the encoder.
        if (term.kind == TermKind::Word) {
            word.clear();
            word.reserve(ValueLength(finder, term));
            CopyValue(finder, term, word);
        } else if (term.kind == TermKind::AttachAll) {
            records.Add(term.kind, term.row, kAttachFlag.data(), kAttachFlag.size());
        } else if (term.kind != TermKind::NoTerm) {
            CopyValue(finder, term, records.Append(term.kind, term.row, ValueLength(finder, term)));
        }
        CutTerm(finder, term, first);
        if (term.kind == TermKind::Word) {
            // A missing encoder, or one that gives no text, must not cost the
            // user the word or leave an unbalanced quote: escape it ourselves.
            // The encoder's text is copied before anything else is called.
            const char* encoded = encodeWord ? encodeWord(word.c_str()) : nullptr;
            if (!encoded) {
                escaped = EscapeWord(word);
                encoded = escaped.c_str();
            }
            records.Add(TermKind::Word, term.row, encoded, std::strlen(encoded));
        }
    }
    return records;
}

// The terms are taken first, into records about the size of the query; the
// linked query is gone before the expression, whose length is then known,
// is allocated once. So a translation never holds much more than the query
// costs while it is cut up, or the expression and the records afterwards.
std::string TranslateQuery(const std::string& query, int scope, WordEncoder encodeWord, Separators separators) {
    return WriteExpression(TakeQueryTerms(query, encodeWord, separators), scope);
}
