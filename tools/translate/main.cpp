// velmoro-translate [--scope N]: reads queries from standard input, one per
// line, and prints the search-condition expression for each, one per line.
// Words are encoded by the stand-in encoder, as the tests encode them.
#include "query/translate.h"
#include "stand_in_encoder.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

namespace {

int Usage() {
    std::fprintf(stderr, "usage: velmoro-translate [--scope 1001|1002|1003|1004] < queries\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    int scope = kScopeCurrentFolder;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--scope") == 0 && i + 1 < argc) {
            char* end = nullptr;
            const long value = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || value < kScopeCurrentFolder || value > kScopeAllAccounts)
                return Usage();
            scope = static_cast<int>(value);
        } else {
            return Usage();
        }
    }
    std::ios::sync_with_stdio(false);
    std::string line;
    while (std::getline(std::cin, line))
        std::cout << TranslateQuery(line, scope, StandInEncode) << '\n';
    return std::cout.good() ? 0 : 1;
}
