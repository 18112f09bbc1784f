// What one confirmation's save costs against the size of the settings file,
// under Wine: the save as the plug-in makes it (the file read once, written
// once to a copy, swapped in) beside the way it was made before, one
// private-profile write a key (22 of them: "radio", "check", 20 history
// keys), each of which rewrites the whole file. Prints a table.
#include "settings/schema.h"
#include "settings/settings_file.h"
#include "settings/stored_value.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <typename Save>
double MedianMilliseconds(int runs, Save save) {
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        LARGE_INTEGER start;
        LARGE_INTEGER end;
        QueryPerformanceCounter(&start);
        save(run);
        QueryPerformanceCounter(&end);
        times.push_back(Milliseconds(start, end));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void WriteFile(const std::string& path, const std::string& content) {
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(content.data(), 1, content.size(), file);
        std::fclose(file);
    }
}

// お気に入り: half of the favourites have Japanese names, which take the
// longer way of comparing names.
const char kJapaneseName[] = "\x82\xa8\x8b\x43\x82\xc9\x93\xfc\x82\xe8";

// A file as a long-used one looks: the scope, a full history, then the
// favourites, each about fifty bytes.
std::string SettingsWithFavourites(int favourites) {
    std::string content = "[Config]\r\nradio=1\r\ncheck=FALSE\r\n[History]\r\n";
    for (int i = 0; i < 20; ++i)
        content += "history" + std::to_string(i) + "=subject:report from:person" + std::to_string(i) + "\r\n";
    content += "[Favorite]\r\n";
    for (int i = 0; i < favourites; ++i)
        content += (i % 2 ? kJapaneseName : "favourite") + std::to_string(i) + "=from:person" + std::to_string(i) +
                   " subject:\"weekly\"\r\n";
    return content;
}

std::vector<std::string> History(int run) {
    std::vector<std::string> history;
    for (int i = 0; i < 20; ++i)
        history.push_back("query " + std::to_string(run) + "." + std::to_string(i));
    return history;
}

} // namespace

int main() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string path = std::string(temp) + "velmoro-settings-bench.ini";
    std::printf("One confirmation's save (scope, check box, 20 history entries), and a new favourite's, median of\n"
                "several runs:\n\n");
    std::printf("%12s %10s %16s %24s %20s\n", "favourites", "file MB", "one save (ms)", "22 profile writes (ms)",
                "a favourite (ms)");
    for (const int favourites : {0, 2000, 20000, 100000}) {
        const std::string content = SettingsWithFavourites(favourites);
        WriteFile(path, content);
        SettingsFile settings(path.c_str());
        const double now = MedianMilliseconds(9, [&](int run) {
            const std::vector<std::string> history = History(run);
            if (!SaveConfirmation(settings, 1002, run % 2 == 0, &history))
                std::printf("a save failed\n");
        });
        WriteFile(path, content);
        const double before = MedianMilliseconds(3, [&](int run) {
            for (const ProfileChange& change : ConfirmationChanges(1002, run % 2 == 0, nullptr))
                WritePrivateProfileStringA(change.section.c_str(), change.key.c_str(), change.value->c_str(), path.c_str());
            const std::vector<std::string> history = History(run);
            for (std::size_t i = 0; i < history.size(); ++i)
                WritePrivateProfileStringA("History", HistoryKey(i).c_str(), ValueAsStored(history[i].c_str()).c_str(),
                                           path.c_str());
        });
        WriteFile(path, content);
        const double favourite = MedianMilliseconds(9, [&](int run) {
            if (!StoreFavorite(settings, kJapaneseName + std::string("-new") + std::to_string(run), "from:someone"))
                std::printf("a save failed\n");
        });
        std::printf("%12d %10.2f %16.1f %24.1f %20.1f\n", favourites, static_cast<double>(content.size()) / 1e6, now,
                    before, favourite);
    }
    DeleteFileA(path.c_str());
    DeleteFileA(TemporaryPath(path).c_str());
    return 0;
}
