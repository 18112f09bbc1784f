// Talking to the mail client through its companion library: the texts it
// hands out, where a search runs, and the hand-over of a search.
#pragma once

#include "plugin/host_api.h"

#include <optional>
#include <string>

// A text the host returned, copied at once: the host may hand out one buffer
// that its next call overwrites, or free it. Null stays null, and is passed
// on as null.
using HostText = std::optional<std::string>;

HostText CopyHostText(const char* text);

// The account and the folder a search runs in.
struct SearchPlace {
    HostText account;
    HostText folder;
};

// What the scope names: the current folder (with or without its subfolders),
// the current account, or all accounts; for the last two, the received, sent
// and user folders unless unsent mail, drafts and the trash are searched too.
SearchPlace ResolveScope(const HostApi& host, int scope, bool includeAll);

// The initial text for the dialog from the macro's argument: its first line,
// encoded by the host, in double quotes when it holds a space. Nothing for an
// empty argument, which keeps the last one.
std::optional<std::string> InitialTextFor(const HostApi& host, const char* argument);

// Hands the expression over and starts the search: directly where the macro
// runs in the main or the result window, else through the main window.
void HandOver(const HostApi& host, const std::string& expression, const SearchPlace& place);
