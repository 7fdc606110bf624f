#pragma once
// The configuration file "config.xml" through the system's XML parser (MSXML, over COM). A
// ConfigDocument lives for one read or one write: open, select nodes by XPath, read or change
// attributes, rewrite child lists, save. The file's path is remembered only when loading
// succeeded; that remembered path is the mark every read and write tests, so a missing or broken
// file is never written (nor created).
//
// COM must be initialised on the calling thread.

#include <windows.h>
#include <msxml2.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "win/ComPtr.h"

using XmlNode = win::ComPtr<IXMLDOMNode>;
// Attributes of an element to append: name and text.
using XmlAttributes = std::vector<std::pair<std::string, std::string>>;

class ConfigDocument {
  public:
    // Creates the parser's document; when that fails every operation below does nothing.
    ConfigDocument();
    explicit ConfigDocument(const std::string& path) : ConfigDocument() { Open(path); }
    ConfigDocument(const ConfigDocument&) = delete;
    ConfigDocument& operator=(const ConfigDocument&) = delete;

    // Loads the file synchronously. A file that declares a document type (and so could define
    // entities, or pull in other files) is refused like a file that is not well-formed.
    void Open(const std::string& path);
    bool IsLoaded() const noexcept { return !path_.empty(); }

    // The first node, or all nodes in document order, that the XPath expression selects.
    XmlNode SelectSingleNode(const std::string& xpath) const;
    std::vector<XmlNode> SelectNodes(const std::string& xpath) const;

    // The attribute's text; no value when the document is not loaded, the node is absent or the
    // node has no such attribute.
    std::optional<std::string> ReadAttribute(IXMLDOMNode* node, const std::string& name) const;
    // As text: no value reads as the empty text.
    std::string ReadText(IXMLDOMNode* node, const std::string& name) const;
    // As an integer: see ParseConfigInteger; no value reads as 0.
    int ReadInteger(IXMLDOMNode* node, const std::string& name) const;

    // Sets the attribute on the element, creating it if absent; nothing when the node is absent
    // or the document is not loaded.
    void WriteAttribute(IXMLDOMNode* node, const std::string& name, const std::string& value);
    void WriteAttribute(IXMLDOMNode* node, const std::string& name, int value);

    // Appends an element as the parent's last child: its text (when not empty) and its attributes,
    // set in ascending order of their names (ordinal comparison of the UTF-16 names).
    void AppendElement(IXMLDOMNode* parent, const std::string& tag, const std::string& text,
                       const XmlAttributes& attributes);

    void RemoveChild(IXMLDOMNode* parent, IXMLDOMNode* child);

    // Writes the document back over the file it was loaded from; nothing when not loaded. The text
    // is indented and written to a temporary file that then replaces the old one, so a failed
    // write leaves the old file whole. When the swap fails after the old file has gone, the new
    // one is moved into its place, or kept under its temporary name if even that fails. True when
    // the file holds the new text.
    bool Save();

  private:
    win::ComPtr<IXMLDOMDocument> document_;
    std::string path_;
};

// The step of Save that swaps the written temporary file in for the old one: ReplaceFileW unless a
// test puts in one that fails the way ReplaceFileW can; nullptr puts ReplaceFileW back. The paths
// are in the "\\?\" form of win::FileApiPath.
using ReplaceFileFunction = BOOL(WINAPI*)(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags,
                                          LPVOID exclude, LPVOID reserved);
void SetConfigReplaceFunction(ReplaceFileFunction replace);

// The configuration file of this program: "config.xml" in the program folder, or in the user's
// profile for an installation for the whole machine (DataFolders).
std::string ConfigFilePath();

// How a stored integer reads: leading blanks, an optional sign and the decimal digits that follow
// (as far as they go), like atoi but limited to the int range; no digits read as 0. So "5" is 5,
// "12 months" is 12, "" and "yes" are 0.
int ParseConfigInteger(const std::string& text);

// How a setting read strictly reads: a tick as the program writes it ("0" or "1"), a count as
// decimal digits alone within the int range. Anything else, and no text, is no value: a damaged
// setting, never a choice.
std::optional<bool> StrictFlag(const std::optional<std::string>& text);
std::optional<int> StrictCount(const std::optional<std::string>& text);
