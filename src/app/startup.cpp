#include "app/startup.h"

#include "platform/system.h"
#include "settings/settings.h"
#include "state/program_files.h"
#include "texts/texts.h"

namespace korvo {

void loadConfiguration() {
    settingsPath = chooseSettingsPath(platform::executableDirectory());
    settings = loadSettings();
    const std::string systemCode = languageCodeFromSystemName(platform::userLanguageName());
    language = chooseLanguage(settings.languageSetting, systemCode);
    texts = buildTextTable(language.languageCode);
}

}  // namespace korvo
