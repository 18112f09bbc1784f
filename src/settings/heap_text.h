// The settings and registry readers hand back heap strings that the caller
// releases with free(). This takes one over as a standard string.
#pragma once

#include <cstdlib>
#include <memory>
#include <string>

// The text, released even if the copy throws; empty for null.
inline std::string TakeHeapText(char* text) {
    const std::unique_ptr<char, void (*)(void*)> owned(text, std::free);
    return owned ? std::string(owned.get()) : std::string();
}
