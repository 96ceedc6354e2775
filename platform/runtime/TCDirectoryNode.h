#pragma once
// Trees of texts; a directory listing as such a tree.
#include <memory>
#include <vector>

#include "platform/runtime/TCString.h"

class TCStringNode : public TCString {
public:
    TCStringNode() = default;
    explicit TCStringNode(const TCString& text) : TCString(text) {}
    int count() const { return static_cast<int>(children_.size()); }
    TCStringNode* at(int i) const {
        return i >= 0 && static_cast<size_t>(i) < children_.size() ? children_[static_cast<size_t>(i)].get() : nullptr;
    }
    // Takes ownership; answers the child.
    TCStringNode* addChild(TCStringNode* child) {
        children_.emplace_back(child);
        return child;
    }
    void clearChildren() { children_.clear(); }

protected:
    std::vector<std::unique_ptr<TCStringNode>> children_;
};

// Decides whether an entry is listed (full path, is a folder, context).
using TDirFilterFunc = bool (*)(const char* path, bool isDir, void* context);

class TCDirectoryNode : public TCStringNode {
public:
    TCDirectoryNode() = default;
    explicit TCDirectoryNode(const TCString& path) : TCStringNode(path) {}

    TCDirectoryNode* at(int i) const { return static_cast<TCDirectoryNode*>(TCStringNode::at(i)); }
    bool isDir() const { return isDir_; }
    void setDir(bool d) { isDir_ = d; }
    const TCString& path() const { return *this; }

    // Lists "folder/pattern" ("*.*" lists every entry, '*' and '?' as
    // usual): files, and with withDirs also folders; with recurse every
    // folder's entries become its children. Children hold full paths, in
    // name order. The filter (optional) keeps an entry when it answers true.
    // False when the folder cannot be read.
    bool buildTree(const char* mask, bool recurse, bool withDirs, TDirFilterFunc filter = nullptr,
                   void* context = nullptr);

private:
    bool isDir_ = false;
};
