// The main window as the window tests open it: scripted dialogs, a Project Properties dialog
// that accepts, headless song import, silent audio, and settings, preferences and recovery
// copies in the test's folder.
#pragma once

#include "app/MainWindow.h"
#include "support/ScriptedUserInterface.h"

#include <QTemporaryDir>

namespace lumivox::test {

class AcceptProperties : public IProjectPropertiesEditor {
public:
    bool EditProjectProperties(TProjectPropertiesData&, Language) override { return true; }
};

inline TForm1Options TestWindowOptions(ScriptedUserInterface& ui, AcceptProperties& properties,
                                       const QTemporaryDir& dir) {
    TForm1Options options;
    options.Ui = &ui;
    options.Properties = &properties;
    options.HeadlessImport = true;
    options.SilentAudio = true;
    options.KeepFilesIn(dir.path());
    return options;
}

} // namespace lumivox::test
