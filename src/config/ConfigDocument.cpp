#include "config/ConfigDocument.h"

#include <algorithm>
#include <climits>
#include <cwchar>

#include "core/DataFolders.h"
#include "core/ProgramPath.h"
#include "win/ApiPath.h"
#include "win/PathCalls.h"
#include "win/Text.h"
#include "win/TextParts.h"
#include "win/UniqueHandle.h"

namespace {

// The parser's classes and interfaces, spelled out here rather than taken from the SDK headers,
// which map CLSID_DOMDocument to another class.
constexpr CLSID kDomDocumentClass = {
    0x2933BF90, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
constexpr IID kDomDocumentInterface = {
    0x2933BF81, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
constexpr IID kDomDocument2Interface = {
    0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
constexpr IID kDomElementInterface = {
    0x2933BF86, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

ReplaceFileFunction g_replaceFile = &::ReplaceFileW;

// A configuration file is a few kilobytes; anything far larger is not one.
constexpr LONGLONG kMaxConfigBytes = 16LL << 20;

win::ComPtr<IXMLDOMDocument> CreateDocument() {
    win::ComPtr<IXMLDOMDocument> document;
    if (FAILED(::CoCreateInstance(kDomDocumentClass, nullptr,
                                  CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER,
                                  kDomDocumentInterface, document.put_void())))
        return {};
    document->put_async(VARIANT_FALSE);
    document->put_validateOnParse(VARIANT_FALSE);
    document->put_resolveExternals(VARIANT_FALSE);
    if (auto document2 = document.As<IXMLDOMDocument2>(kDomDocument2Interface)) {
        VARIANT value;
        ::VariantInit(&value);
        win::Bstr xpath(L"XPath");
        value.vt = VT_BSTR;
        value.bstrVal = xpath.get();
        document2->setProperty(win::Bstr(L"SelectionLanguage").get(), value);
        // Parsers that do not know the property keep their default; the file check in Open
        // refuses document types in any case.
        value.vt = VT_BOOL;
        value.boolVal = VARIANT_TRUE;
        document2->setProperty(win::Bstr(L"ProhibitDTD").get(), value);
    }
    return document;
}

// The whole file, or nothing when it cannot be read or is implausibly large.
std::optional<std::string> ReadWholeFile(const std::string& path) {
    win::UniqueFile file = win::OpenFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    if (!file)
        return std::nullopt;
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > kMaxConfigBytes)
        return std::nullopt;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() &&
        !::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
        return std::nullopt;
    bytes.resize(read);
    return bytes;
}

// True when the bytes hold "<!DOCTYPE" in any letter case, in a one-, two- or four-byte encoding
// (UTF-8 and ANSI, UTF-16, UTF-32). A document type can declare entities that expand without
// limit or pull in other files; a configuration file never needs one.
bool DeclaresDocumentType(const std::string& bytes) {
    static const char kMarker[] = "<!doctype";
    const size_t length = sizeof kMarker - 1;
    for (size_t stride : {1u, 2u, 4u}) {
        for (size_t i = 0; i + (length - 1) * stride < bytes.size(); ++i) {
            size_t k = 0;
            while (k < length) {
                if (win::LowerAscii(bytes[i + k * stride]) != kMarker[k])
                    break;
                ++k;
            }
            if (k == length)
                return true;
        }
    }
    return false;
}

win::ComPtr<IXMLDOMElement> AsElement(IXMLDOMNode* node) {
    win::ComPtr<IXMLDOMElement> element;
    if (node)
        node->QueryInterface(kDomElementInterface, element.put_void());
    return element;
}

bool IsBlank(const std::wstring& text) {
    return text.find_first_not_of(L" \t\r\n") == std::wstring::npos;
}

std::vector<XmlNode> ChildrenOf(IXMLDOMNode* node) {
    std::vector<XmlNode> children;
    win::ComPtr<IXMLDOMNodeList> list;
    if (FAILED(node->get_childNodes(list.put())) || !list)
        return children;
    for (;;) {
        XmlNode child;
        if (list->nextNode(child.put()) != S_OK || !child)
            break;
        children.push_back(std::move(child));
    }
    return children;
}

DOMNodeType TypeOf(IXMLDOMNode* node) {
    DOMNodeType type = NODE_INVALID;
    node->get_nodeType(&type);
    return type;
}

bool IsBlankText(IXMLDOMNode* node) {
    win::Bstr text;
    node->get_text(text.put());
    return IsBlank(text.get() ? std::wstring(text.get()) : std::wstring());
}

// Puts every child of an element that holds only elements, comments and processing
// instructions on its own line, indented by depth; elements with text are left as they are.
void Indent(IXMLDOMDocument* document, IXMLDOMNode* node, int depth) {
    std::vector<XmlNode> children = ChildrenOf(node);
    std::vector<IXMLDOMNode*> kept;
    for (const XmlNode& child : children) {
        DOMNodeType type = TypeOf(child.get());
        if (type == NODE_TEXT && IsBlankText(child.get()))
            continue;
        if (type != NODE_ELEMENT && type != NODE_COMMENT && type != NODE_PROCESSING_INSTRUCTION)
            return;
        kept.push_back(child.get());
    }
    if (kept.empty())
        return;
    // Old line breaks go; new ones are put in front of every child and before the end tag.
    for (const XmlNode& child : children) {
        if (TypeOf(child.get()) != NODE_TEXT)
            continue;
        XmlNode removed;
        node->removeChild(child.get(), removed.put());
    }
    auto insertBreak = [&](IXMLDOMNode* before, int level) {
        win::ComPtr<IXMLDOMText> text;
        if (FAILED(document->createTextNode(win::Bstr((L"\n" + std::wstring(2 * level, L' ')).c_str()).get(),
                                            text.put())))
            return;
        VARIANT reference;
        ::VariantInit(&reference);
        if (before) {
            reference.vt = VT_UNKNOWN;
            reference.punkVal = before;
        }
        XmlNode inserted;
        node->insertBefore(text.get(), reference, inserted.put());
    };
    for (IXMLDOMNode* child : kept) {
        insertBreak(child, depth + 1);
        if (TypeOf(child) == NODE_ELEMENT)
            Indent(document, child, depth + 1);
    }
    insertBreak(nullptr, depth);
}

// Rewrites the XML declaration, if there is one, to say UTF-8. The parser writes a saved file in
// UTF-8, and at least one parser keeps the declared encoding in the declaration while doing so,
// which would make the next load misread every non-ASCII character.
void DeclareUtf8(IXMLDOMDocument* document) {
    XmlNode first;
    if (document->get_firstChild(first.put()) != S_OK || !first ||
        TypeOf(first.get()) != NODE_PROCESSING_INSTRUCTION)
        return;
    win::Bstr name;
    if (FAILED(first->get_nodeName(name.put())) || !name.get() || std::wstring(name.get()) != L"xml")
        return;
    win::ComPtr<IXMLDOMProcessingInstruction> declaration;
    if (FAILED(document->createProcessingInstruction(win::Bstr(L"xml").get(),
                                                     win::Bstr(L"version=\"1.0\" encoding=\"UTF-8\"").get(),
                                                     declaration.put())))
        return;
    XmlNode replaced;
    document->replaceChild(declaration.get(), first.get(), replaced.put());
}

}  // namespace

ConfigDocument::ConfigDocument() : document_(CreateDocument()) {}

void ConfigDocument::Open(const std::string& path) {
    path_.clear();
    document_ = CreateDocument();
    if (!document_)
        return;
    std::optional<std::string> bytes = ReadWholeFile(path);
    if (!bytes || DeclaresDocumentType(*bytes))
        return;

    VARIANT source;
    ::VariantInit(&source);
    win::Bstr sourcePath(path);
    source.vt = VT_BSTR;
    source.bstrVal = sourcePath.get();
    VARIANT_BOOL loaded = VARIANT_FALSE;
    HRESULT hr = document_->load(source, &loaded);
    win::ComPtr<IXMLDOMDocumentType> type;
    win::ComPtr<IXMLDOMElement> root;
    if (hr != S_OK || loaded != VARIANT_TRUE || (document_->get_doctype(type.put()) == S_OK && type) ||
        FAILED(document_->get_documentElement(root.put())) || !root) {
        document_ = CreateDocument();  // nothing of a refused file stays selectable
        return;
    }
    path_ = path;
}

XmlNode ConfigDocument::SelectSingleNode(const std::string& xpath) const {
    XmlNode node;
    if (document_ && document_->selectSingleNode(win::Bstr(xpath).get(), node.put()) != S_OK)
        node.reset();
    return node;
}

std::vector<XmlNode> ConfigDocument::SelectNodes(const std::string& xpath) const {
    std::vector<XmlNode> nodes;
    win::ComPtr<IXMLDOMNodeList> list;
    if (!document_ || document_->selectNodes(win::Bstr(xpath).get(), list.put()) != S_OK || !list)
        return nodes;
    for (;;) {
        XmlNode node;
        if (list->nextNode(node.put()) != S_OK || !node)
            break;
        nodes.push_back(std::move(node));
    }
    return nodes;
}

std::optional<std::string> ConfigDocument::ReadAttribute(IXMLDOMNode* node, const std::string& name) const {
    if (!IsLoaded())
        return std::nullopt;
    auto element = AsElement(node);
    if (!element)
        return std::nullopt;
    VARIANT value;
    ::VariantInit(&value);
    std::optional<std::string> text;
    if (element->getAttribute(win::Bstr(name).get(), &value) == S_OK && value.vt == VT_BSTR)
        text = value.bstrVal ? win::Narrow(std::wstring_view(value.bstrVal, ::SysStringLen(value.bstrVal)))
                             : std::string();
    ::VariantClear(&value);
    return text;
}

std::string ConfigDocument::ReadText(IXMLDOMNode* node, const std::string& name) const {
    return ReadAttribute(node, name).value_or(std::string());
}

int ConfigDocument::ReadInteger(IXMLDOMNode* node, const std::string& name) const {
    std::optional<std::string> text = ReadAttribute(node, name);
    return text ? ParseConfigInteger(*text) : 0;
}

void ConfigDocument::WriteAttribute(IXMLDOMNode* node, const std::string& name, const std::string& value) {
    if (!IsLoaded())
        return;
    auto element = AsElement(node);
    if (!element)
        return;
    win::Bstr text(value);
    VARIANT variant;
    ::VariantInit(&variant);
    variant.vt = VT_BSTR;
    variant.bstrVal = text.get();
    element->setAttribute(win::Bstr(name).get(), variant);
}

void ConfigDocument::WriteAttribute(IXMLDOMNode* node, const std::string& name, int value) {
    WriteAttribute(node, name, std::to_string(value));
}

void ConfigDocument::AppendElement(IXMLDOMNode* parent, const std::string& tag, const std::string& text,
                                   const XmlAttributes& attributes) {
    if (!IsLoaded() || !parent)
        return;
    win::ComPtr<IXMLDOMElement> element;
    if (FAILED(document_->createElement(win::Bstr(tag).get(), element.put())) || !element)
        return;
    if (!text.empty())
        element->put_text(win::Bstr(text).get());

    std::vector<std::pair<std::wstring, const std::string*>> ordered;
    for (const auto& [name, value] : attributes)
        ordered.emplace_back(win::Wide(name), &value);
    // wchar_t is an unsigned 16-bit type here, so this is the ordinal order of the UTF-16 names.
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [name, value] : ordered) {
        win::Bstr valueText(*value);
        VARIANT variant;
        ::VariantInit(&variant);
        variant.vt = VT_BSTR;
        variant.bstrVal = valueText.get();
        element->setAttribute(win::Bstr(name.c_str()).get(), variant);
    }
    XmlNode appended;
    parent->appendChild(element.get(), appended.put());
}

void ConfigDocument::RemoveChild(IXMLDOMNode* parent, IXMLDOMNode* child) {
    if (!IsLoaded() || !parent || !child)
        return;
    XmlNode removed;
    parent->removeChild(child, removed.put());
}

bool ConfigDocument::Save() {
    if (!IsLoaded())
        return false;
    win::ComPtr<IXMLDOMElement> root;
    if (SUCCEEDED(document_->get_documentElement(root.put())) && root)
        Indent(document_.get(), root.get(), 0);
    DeclareUtf8(document_.get());

    const std::wstring file = win::FileApiPath(path_);
    const size_t cut = file.find_last_of(L'\\');
    const std::wstring folder = cut == std::wstring::npos ? std::wstring(L".") : file.substr(0, cut + 1);
    std::wstring temporary(folder.size() + MAX_PATH, L'\0');
    if (!::GetTempFileNameW(folder.c_str(), L"qmc", 0, temporary.data()))
        return false;
    temporary.resize(std::wcslen(temporary.c_str()));

    VARIANT destination;
    ::VariantInit(&destination);
    win::Bstr destinationPath{win::FromFileApiPath(temporary)};
    destination.vt = VT_BSTR;
    destination.bstrVal = destinationPath.get();
    // The old file is replaced only by a completely written new one; ReplaceFile also refuses to
    // create the file when it has gone meanwhile, and keeps its attributes.
    if (document_->save(destination) != S_OK) {
        ::DeleteFileW(temporary.c_str());
        return false;
    }
    if (g_replaceFile(file.c_str(), temporary.c_str(), nullptr, REPLACEFILE_WRITE_THROUGH, nullptr, nullptr))
        return true;
    const DWORD error = ::GetLastError();
    // These two failures come after the old file was deleted or renamed away: the temporary file
    // is then the only copy of the settings. It takes the old name only if nothing holds that
    // name meanwhile; if the move fails it stays where it is rather than be lost.
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)
        return ::MoveFileExW(temporary.c_str(), file.c_str(), MOVEFILE_WRITE_THROUGH) != FALSE;
    // Every other failure leaves both files under their own names, the old one untouched.
    ::DeleteFileW(temporary.c_str());
    return false;
}

void SetConfigReplaceFunction(ReplaceFileFunction replace) {
    g_replaceFile = replace ? replace : &::ReplaceFileW;
}

std::string ConfigFilePath() {
    return ProgramDataFolders().ConfigPath();
}

int ParseConfigInteger(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

std::optional<bool> StrictFlag(const std::optional<std::string>& text) {
    if (!text || (*text != "0" && *text != "1"))
        return std::nullopt;
    return *text == "1";
}

std::optional<int> StrictCount(const std::optional<std::string>& text) {
    if (!text || text->empty() || text->size() > 10)
        return std::nullopt;
    long long value = 0;
    for (const char c : *text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value > INT_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}
