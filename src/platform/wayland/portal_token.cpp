#include "platform/wayland/portal_token.h"

#include "platform/files.h"

namespace platform::wayland {
namespace {

constexpr const char* kFileName = "/portal-token";
// Portals hand out UUIDs; the bound leaves room for longer ones.
constexpr size_t kLongestToken = 128;

// Letters, digits, '-', '_' and '.' only: the token goes back to the portal as it is read.
bool wellFormed(const std::string& token) {
    if (token.empty() || token.size() > kLongestToken)
        return false;
    for (char c : token) {
        bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '-' || c == '_' || c == '.';
        if (!safe)
            return false;
    }
    return true;
}

}  // namespace

std::string keptPortalToken(const std::string& folder) {
    FileImage image;
    if (folder.empty() || !readFileImage(folder + kFileName, image))
        return "";
    std::string token = image.bytes;
    if (!token.empty() && token.back() == '\n')
        token.pop_back();
    return wellFormed(token) ? token : "";
}

bool keepPortalToken(const std::string& folder, const std::string& token) {
    if (folder.empty())
        return false;
    if (token.empty())
        return removeFile(folder + kFileName);
    return wellFormed(token) && replaceFileContents(folder + kFileName, token + "\n");
}

}  // namespace platform::wayland
