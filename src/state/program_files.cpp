#include "state/program_files.h"

#include <string_view>

#include "platform/files.h"
#include "platform/folders.h"
#include "texts/texts.h"

namespace korvo {

namespace {

constexpr std::string_view kSettingsFileName = "settings.ini";

std::string inFolder(const std::string& folder, std::string_view name) {
    return folder + "/" + std::string(name);
}

}  // namespace

std::string chooseSettingsPath(const std::string& programDirectory) {
    const std::string beside = inFolder(programDirectory, kSettingsFileName);
    if (platform::fileExists(beside) || platform::directoryWritable(programDirectory))
        return beside;
    // Without a configuration folder the program stays as it always was: reads give the
    // defaults and saves fail.
    const std::string userFolder = platform::userConfigDirectory();
    if (userFolder.empty() || !platform::createPrivateDirectory(userFolder))
        return beside;
    return inFolder(userFolder, kSettingsFileName);
}

std::string programFilesFolder(const std::string& settingsPath) {
    const size_t slash = settingsPath.find_last_of('/');
    return slash == std::string::npos ? "." : settingsPath.substr(0, slash);
}

std::string findHelpFile(const std::string& programDirectory) {
    const std::string name(fixedText::kHelpFileName);
    if (platform::fileExists(name))
        return name;
    const std::string beside = inFolder(programDirectory, name);
    if (platform::fileExists(beside))
        return beside;
    const std::string dataFolder = platform::installedDataDirectory(programDirectory);
    if (!dataFolder.empty() && platform::fileExists(inFolder(dataFolder, name)))
        return inFolder(dataFolder, name);
    return "";
}

}  // namespace korvo
