// Leaves the settings of an earlier run in the current user's settings file, so that the editor
// starts straight into its main window (no first-run wizard) when its start is measured.
#include "settings/qt_settings_store.h"
#include "settings/stored_settings.h"

#include <cstdio>

int main() {
    auto store = cs::QtSettingsStore::forCurrentUser();
    if (!store->openKey(cs::kSettingsKeyPath, true) || !store->writeInteger("Counter", 3) ||
        !store->writeInteger("WindowState", 0) || !store->writeInteger("TReg.flags", cs::settings_flags::kDefaults) ||
        !store->closeKey()) {
        std::fprintf(stderr, "bench_seed_settings: cannot write the settings file\n");
        return 1;
    }
    return 0;
}
