// A second process that saves settings, for the tests of what saves survive:
//   settings_save_child crash PATH STEP
//       one confirmation's save, the process killed at that step of it (the
//       SaveStep's number plus one; 0: not killed)
//   settings_save_child rounds PATH NAME N
//       N rounds of a favourite stored and a confirmation saved, as a mail
//       client would
// Exit status 0 when every save succeeded.
#include "settings/schema.h"
#include "settings/settings_file.h"

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

SaveStep g_killAt;

unsigned long KillAtStep(SaveStep step) {
    if (step == g_killAt)
        TerminateProcess(GetCurrentProcess(), 9);
    return 0;
}

std::vector<std::string> NewHistory(const std::string& stem) {
    std::vector<std::string> history;
    for (int i = 0; i < 20; ++i)
        history.push_back(stem + std::to_string(i));
    return history;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4)
        return 2;
    const std::string mode = argv[1];
    SettingsFile settings(argv[2]);
    if (mode == "crash") {
        const int step = std::atoi(argv[3]);
        if (step > 0) {
            g_killAt = static_cast<SaveStep>(step - 1);
            settings.SetSaveStepHook(KillAtStep);
        }
        const std::vector<std::string> history = NewHistory("new");
        return SaveConfirmation(settings, 1003, true, &history) ? 0 : 1;
    }
    if (mode == "rounds" && argc == 5) {
        const std::string name = argv[3];
        std::vector<std::string> history;
        bool saved = true;
        for (int round = 0; round < std::atoi(argv[4]); ++round) {
            const std::string query = name + "_" + std::to_string(round);
            saved &= static_cast<bool>(StoreFavorite(settings, query, "from:" + query));
            history.insert(history.begin(), query);
            saved &= static_cast<bool>(SaveConfirmation(settings, 1002, false, &history));
        }
        return saved ? 0 : 1;
    }
    return 2;
}
