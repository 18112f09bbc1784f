#include "plugin/host.h"

#include "plugin/messages.h"
#include "query/scope.h"
#include "query/word_escape.h"

#include <algorithm>

namespace {

const char* PassOn(const HostText& text) {
    return text ? text->c_str() : nullptr;
}

bool MacroRunsInMailClientWindow(const HostApi& host) {
    return host.IsVelmoroMailMain() || host.IsVelmoroMailGrep();
}

HostText CurrentAccount(const HostApi& host) {
    return CopyHostText(reinterpret_cast<const char*>(host.ExecAtMain("CurrentAccount")));
}

HostText CurrentFolder(const HostApi& host) {
    if (MacroRunsInMailClientWindow(host))
        return CopyHostText(host.CurrentFolder());
    return CopyHostText(reinterpret_cast<const char*>(host.ExecAtMain("CurrentFolder")));
}

} // namespace

HostText CopyHostText(const char* text) {
    return text ? HostText(text) : std::nullopt;
}

// The host's strings are copied as they come, before the next call to it.
SearchPlace ResolveScope(const HostApi& host, int scope, bool includeAll) {
    SearchPlace place;
    switch (scope) {
    case kScopeCurrentFolder:
    case kScopeWithSubfolders:
        place.account = CurrentAccount(host);
        place.folder = CurrentFolder(host);
        break;
    case kScopeCurrentAccount:
        place.account = CurrentAccount(host);
        place.folder = includeAll ? "" : kAllAccountsFolders;
        break;
    case kScopeAllAccounts:
        place.account = "";
        place.folder = includeAll ? "" : kAllAccountsFolders;
        break;
    default:
        break;
    }
    return place;
}

// Up to the first line break of any kind: the query field holds one line,
// and a break would travel on into the history. An encoder that gives no
// text must not cost the user the word: it is escaped here instead.
std::optional<std::string> InitialTextFor(const HostApi& host, const char* argument) {
    if (!argument || !*argument)
        return std::nullopt;
    std::string text = argument;
    text.erase(std::min(text.size(), text.find_first_of("\r\n")));
    const HostText encoded = CopyHostText(host.YenEncode(text.c_str()));
    std::string initial = encoded ? *encoded : EscapeWord(text);
    if (text.find(' ') != std::string::npos)
        initial = '"' + initial + '"';
    return initial;
}

void HandOver(const HostApi& host, const std::string& expression, const SearchPlace& place) {
    if (MacroRunsInMailClientWindow(host)) {
        host.SetFindPack(expression.c_str());
        host.StartDoGrep(PassOn(place.account), PassOn(place.folder));
        host.PushFindPack();
    } else {
        host.ExecAtMain("SetFindPack", expression.c_str());
        host.ExecAtMain("StartDoGrep", PassOn(place.account), PassOn(place.folder));
        host.ExecAtMain("PushFindPack");
    }
}
