#include "platform/runtime/TCDirectoryNode.h"

#include <fnmatch.h>

#include <algorithm>
#include <filesystem>

#include "platform/runtime/FileUtils.h"

namespace {
bool listInto(TCDirectoryNode& node, const std::string& folder, const std::string& pattern, bool recurse, bool withDirs,
              TDirFilterFunc filter, void* context, int depth);
}

bool TCDirectoryNode::buildTree(const char* mask, bool recurse, bool withDirs, TDirFilterFunc filter, void* context) {
    clearChildren();
    const TCString m(mask ? mask : "");
    TCString folder = extractFilePath(m.c_str());
    TCString pattern = extractFileName(m.c_str());
    if (folder.isEmpty()) folder = ".";
    if (pattern.isEmpty() || pattern == "*.*") pattern = "*";
    assign(folder.c_str(), folder.length());
    isDir_ = true;
    return listInto(*this, folder.str(), pattern.str(), recurse, withDirs, filter, context, 0);
}

namespace {
bool listInto(TCDirectoryNode& node, const std::string& folder, const std::string& pattern, bool recurse, bool withDirs,
              TDirFilterFunc filter, void* context, int depth) {
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec);
    if (ec) return false;
    std::vector<std::pair<std::string, bool>> entries;
    for (; it != std::filesystem::directory_iterator(); it.increment(ec)) {
        if (ec) return false;
        std::error_code e2;
        // Symbolic links to folders are not followed (no loops).
        const bool dir = it->is_directory(e2) && !it->is_symlink(e2);
        entries.emplace_back(it->path().filename().string(), dir);
    }
    std::sort(entries.begin(), entries.end());
    for (const auto& [name, dir] : entries) {
        const std::string full = makePathName(folder.c_str(), name.c_str()).str();
        const bool matches = fnmatch(pattern.c_str(), name.c_str(), 0) == 0;
        if (dir) {
            if (!withDirs && !recurse) continue;
            if (filter && !filter(full.c_str(), true, context)) continue;
            auto* child = new TCDirectoryNode(TCString(full));
            child->setDir(true);
            if (recurse && depth < 64) listInto(*child, full, pattern, recurse, withDirs, filter, context, depth + 1);
            if (withDirs || child->count() > 0) node.addChild(child);
            else delete child;
        } else {
            if (!matches) continue;
            if (filter && !filter(full.c_str(), false, context)) continue;
            node.addChild(new TCDirectoryNode(TCString(full)));
        }
    }
    return true;
}
}  // namespace
