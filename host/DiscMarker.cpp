#include "DiscMarker.h"

#include <algorithm>
#include <cctype>
#include <system_error>
#include <vector>

namespace quen::host {

namespace {

bool StartsWithNoCase(const std::string& text, const std::string& prefix)
{
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

// Names of the files at the root that look like disc markers: letters, then
// digits ("QRD1"), or the media type followed by anything.
std::vector<std::string> Markers(const std::filesystem::path& folder, const std::string& mediaType)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (!entry.is_regular_file(error))
            continue;
        const std::string name = entry.path().filename().string();
        const auto digits = std::find_if(name.begin(), name.end(), [](char c) {
            return std::isdigit(static_cast<unsigned char>(c));
        });
        const bool lettersThenDigits =
            digits != name.begin() && digits != name.end() &&
            std::all_of(name.begin(), digits, [](char c) { return std::isalpha(static_cast<unsigned char>(c)); }) &&
            std::all_of(digits, name.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
        if (lettersThenDigits || (!mediaType.empty() && StartsWithNoCase(name, mediaType)))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

bool HoldsMarker(const std::filesystem::path& folder, const std::string& mediaType, int disc)
{
    std::vector<std::string> ofType;
    for (const std::string& name : Markers(folder, mediaType)) {
        if (StartsWithNoCase(name, mediaType))
            ofType.push_back(name);
    }
    if (ofType.size() != 1)
        return false;
    const std::string number = ofType.front().substr(mediaType.size());
    const bool digits = !number.empty() && number.size() <= 9 &&
                        std::all_of(number.begin(), number.end(),
                                    [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
    return digits && std::stoi(number) == disc;
}

std::string WrongDisc(const std::filesystem::path& folder, const std::string& mediaType, int disc)
{
    const std::vector<std::string> found = Markers(folder, mediaType);
    std::string text = folder.string() + " holds ";
    if (found.empty()) {
        text += "no marker file";
    } else {
        text += found.size() == 1 ? "the marker " : "the markers ";
        for (std::size_t i = 0; i < found.size(); ++i)
            text += (i == 0 ? "" : ", ") + found[i];
    }
    return text + "; disc " + std::to_string(disc) + " needs " + mediaType + std::to_string(disc);
}

}  // namespace quen::host
