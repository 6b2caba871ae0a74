#include "viewer/SaveDialog.h"

#include <filesystem>

namespace lumora::viewer {

bool HasWildcard(const std::string& text) {
    return text.find_first_of("*?") != std::string::npos;
}

std::string SaveDialogPath(const std::string& folder, const std::string& fileName) {
    if (!fileName.empty() && fileName.front() == '/')
        return fileName;
    if (folder.empty() || folder.back() == '/')
        return folder + fileName;
    return folder + "/" + fileName;
}

std::string ReplaceQuestion(const std::string& fileName) {
    return fileName + "\n\r" + "This file already exists." + "\n\r" + "Do you want to replace it?";
}

TSaveDialogOk SaveDialogOk(UiServices& ui, const std::string& folder, const std::string& fileName) {
    if (HasWildcard(fileName))
        return TSaveDialogOk::FilterList;
    if (fileName.find_first_not_of(' ') == std::string::npos)
        return TSaveDialogOk::StayOpen;
    const std::filesystem::path path = SaveDialogPath(folder, fileName);
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        return TSaveDialogOk::OpenFolder;
    if (std::filesystem::exists(path, error) && !ui.AskYesNo(ReplaceQuestion(fileName)))
        return TSaveDialogOk::StayOpen;
    return TSaveDialogOk::Close;
}

std::vector<std::string> MaskPatterns(const std::string& mask) {
    std::vector<std::string> patterns;
    std::size_t start = 0;
    while (start <= mask.size()) {
        std::size_t end = mask.find(';', start);
        if (end == std::string::npos)
            end = mask.size();
        std::string pattern = mask.substr(start, end - start);
        pattern.erase(0, pattern.find_first_not_of(' '));
        pattern.erase(pattern.find_last_not_of(' ') + 1);
        if (!pattern.empty())
            patterns.push_back(pattern == "*.*" ? "*" : pattern);
        start = end + 1;
    }
    return patterns;
}

std::vector<TFileType> FilterTypes(const std::string& filter) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= filter.size()) {
        std::size_t end = filter.find('|', start);
        if (end == std::string::npos)
            end = filter.size();
        parts.push_back(filter.substr(start, end - start));
        start = end + 1;
    }
    std::vector<TFileType> types;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2)
        types.push_back({parts[i], parts[i + 1]});
    return types;
}

} // namespace lumora::viewer
