// The administrative templates that ship in policies/: well-formed, in the structure the Group
// Policy editor expects, every policy one the program reads under the same key, value name and type
// (against the reader's own table), and every text and presentation they name present in every
// language's .adml.
#include <gtest/gtest.h>

#include <windows.h>
#include <msxml2.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "config/Policy.h"
#include "support/TestFiles.h"
#include "support/WindowTest.h"
#include "win/ComPtr.h"
#include "win/Text.h"

namespace {

// The parser's class and interfaces, as the configuration document spells them.
constexpr CLSID kDomDocumentClass = {
    0x2933BF90, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
constexpr IID kDomDocument2Interface = {
    0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
constexpr IID kDomElementInterface = {
    0x2933BF86, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

constexpr wchar_t kNamespace[] = L"http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions";
constexpr char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";
const char* const kLanguages[] = {"en-US", "de-DE", "fr-FR", "es-ES", "pt-BR", "pl-PL", "ja-JP", "zh-CN"};

// One template file, parsed; its paths are XPath with the prefix "p" for the editor's namespace.
class Template {
  public:
    explicit Template(const std::string& relative) : name_(relative) {
        const std::string bytes = test::ReadFile(test::SourceFile(relative));
        // The editor reads the file by its declaration: UTF-8, said so on the first line.
        declared_ = bytes.rfind(kDeclaration, 0) == 0;
        std::wstring text;
        utf8_ = win::FromWtf8(bytes, text) && text.find(L'\xFFFD') == std::wstring::npos;
        if (declared_)
            text.erase(0, std::size(kDeclaration) - 1);
        if (FAILED(::CoCreateInstance(kDomDocumentClass, nullptr, CLSCTX_INPROC_SERVER,
                                      kDomDocument2Interface, document_.put_void())))
            return;
        document_->put_async(VARIANT_FALSE);
        VARIANT value;
        value.vt = VT_BSTR;
        win::Bstr language(L"XPath");
        value.bstrVal = language.get();
        document_->setProperty(win::Bstr(L"SelectionLanguage").get(), value);
        win::Bstr namespaces((std::wstring(L"xmlns:p='") + kNamespace + L"'").c_str());
        value.bstrVal = namespaces.get();
        document_->setProperty(win::Bstr(L"SelectionNamespaces").get(), value);
        VARIANT_BOOL loaded = VARIANT_FALSE;
        parsed_ =
            SUCCEEDED(document_->loadXML(win::Bstr(text.c_str()).get(), &loaded)) && loaded == VARIANT_TRUE;
    }

    ::testing::AssertionResult WellFormed() const {
        if (!declared_)
            return ::testing::AssertionFailure() << name_ << " does not begin with " << kDeclaration;
        if (!utf8_)
            return ::testing::AssertionFailure() << name_ << " is not UTF-8";
        if (!parsed_)
            return ::testing::AssertionFailure() << name_ << " is not well-formed XML";
        return ::testing::AssertionSuccess();
    }

    std::vector<win::ComPtr<IXMLDOMNode>> Nodes(const std::string& xpath, IXMLDOMNode* from = nullptr) const {
        std::vector<win::ComPtr<IXMLDOMNode>> nodes;
        win::ComPtr<IXMLDOMNodeList> list;
        IXMLDOMNode* context = from ? from : static_cast<IXMLDOMNode*>(document_.get());
        if (!context || context->selectNodes(win::Bstr(xpath).get(), list.put()) != S_OK)
            return nodes;
        for (;;) {
            win::ComPtr<IXMLDOMNode> node;
            if (list->nextNode(node.put()) != S_OK || !node)
                break;
            nodes.push_back(std::move(node));
        }
        return nodes;
    }
    size_t Count(const std::string& xpath) const { return Nodes(xpath).size(); }

  private:
    std::string name_;
    bool declared_ = false, utf8_ = false, parsed_ = false;
    win::ComPtr<IXMLDOMDocument2> document_;
};

std::string Attribute(IXMLDOMNode* node, const char* name) {
    win::ComPtr<IXMLDOMElement> element;
    node->QueryInterface(kDomElementInterface, element.put_void());
    VARIANT value;
    ::VariantInit(&value);
    std::string text;
    if (element && element->getAttribute(win::Bstr(name).get(), &value) == S_OK && value.vt == VT_BSTR)
        text = win::Narrow(value.bstrVal);
    ::VariantClear(&value);
    return text;
}

std::string LocalName(IXMLDOMNode* node) {
    win::Bstr name;
    node->get_baseName(name.put());
    return name.ToText();
}

// "$(string.Name)" -> "Name", for the kind given; empty for anything else.
std::string Reference(const std::string& text, const std::string& kind) {
    const std::string head = "$(" + kind + ".";
    if (text.rfind(head, 0) != 0 || text.back() != ')')
        return {};
    return text.substr(head.size(), text.size() - head.size() - 1);
}

const PolicyRow* RowNamed(const std::string& name) {
    for (const PolicyRow& row : PolicyRows())
        if (name == row.name)
            return &row;
    return nullptr;
}

class PolicyTemplatesTest : public ::testing::Test {
  protected:
    test::ProgramFolder program_;  // COM for the parser
};

}  // namespace

TEST_F(PolicyTemplatesTest, TheTemplateHasTheStructureTheEditorExpects) {
    const Template admx("policies/Quillmoor.admx");
    ASSERT_TRUE(admx.WellFormed());
    EXPECT_EQ(admx.Count("/p:policyDefinitions[@revision and @schemaVersion]"), 1u);
    EXPECT_EQ(admx.Count("/p:policyDefinitions/p:policyNamespaces/p:target[@prefix and @namespace]"), 1u);
    EXPECT_EQ(admx.Count("/p:policyDefinitions/p:resources[@minRequiredRevision]"), 1u);
    EXPECT_EQ(
        admx.Count("/p:policyDefinitions/p:supportedOn/p:definitions/p:definition[@name and @displayName]"),
        1u);
    EXPECT_GE(admx.Count("/p:policyDefinitions/p:categories/p:category[@name and @displayName]"), 1u);
    EXPECT_GE(admx.Count("/p:policyDefinitions/p:policies/p:policy"), 1u);
    // Nothing outside the editor's namespace.
    EXPECT_EQ(admx.Count("//*[namespace-uri() != '" + win::Narrow(kNamespace) + "']"), 0u);

    for (const char* language : kLanguages) {
        const Template adml(std::string("policies/") + language + "/Quillmoor.adml");
        ASSERT_TRUE(adml.WellFormed()) << language;
        EXPECT_EQ(adml.Count("/p:policyDefinitionResources[@revision and @schemaVersion]"), 1u) << language;
        EXPECT_EQ(adml.Count("/p:policyDefinitionResources/p:resources/p:stringTable"), 1u) << language;
        EXPECT_EQ(adml.Count("/p:policyDefinitionResources/p:resources/p:presentationTable"), 1u) << language;
        EXPECT_EQ(adml.Count("//*[namespace-uri() != '" + win::Narrow(kNamespace) + "']"), 0u) << language;
    }
}

// Every policy of the template is one the program reads: the key, each value name and its type
// (a flag 0 or 1, a number within the reader's range, a text, a list of texts); and every value the
// program reads is in the template.
TEST_F(PolicyTemplatesTest, EveryPolicyIsReadByTheProgramUnderItsKeyNameAndType) {
    const Template admx("policies/Quillmoor.admx");
    ASSERT_TRUE(admx.WellFormed());
    std::set<std::string> categories, supported;
    for (const auto& node : admx.Nodes("//p:categories/p:category"))
        categories.insert(Attribute(node.get(), "name"));
    for (const auto& node : admx.Nodes("//p:supportedOn/p:definitions/p:definition"))
        supported.insert(Attribute(node.get(), "name"));
    const std::string key = win::Narrow(kPolicyKey);
    std::set<std::string> templated;
    auto take = [&](const std::string& valueName, PolicyType type, const std::string& where) {
        const PolicyRow* row = RowNamed(valueName);
        ASSERT_TRUE(row) << where << ": the program reads no value " << valueName;
        EXPECT_EQ(row->type, type) << where << ": " << valueName;
        EXPECT_TRUE(templated.insert(valueName).second) << valueName << " is set by two policies";
    };
    for (const auto& policy : admx.Nodes("//p:policies/p:policy")) {
        const std::string name = Attribute(policy.get(), "name");
        EXPECT_EQ(Attribute(policy.get(), "key"), key) << name;
        EXPECT_TRUE(Attribute(policy.get(), "class") == "Both" ||
                    Attribute(policy.get(), "class") == "Machine" ||
                    Attribute(policy.get(), "class") == "User")
            << name;
        EXPECT_FALSE(Reference(Attribute(policy.get(), "displayName"), "string").empty()) << name;
        EXPECT_FALSE(Reference(Attribute(policy.get(), "explainText"), "string").empty()) << name;
        const auto parent = admx.Nodes("p:parentCategory", policy.get());
        ASSERT_EQ(parent.size(), 1u) << name;
        EXPECT_TRUE(categories.count(Attribute(parent[0].get(), "ref"))) << name;
        const auto on = admx.Nodes("p:supportedOn", policy.get());
        ASSERT_EQ(on.size(), 1u) << name;
        EXPECT_TRUE(supported.count(Attribute(on[0].get(), "ref"))) << name;

        // The policy's own value: enabled 1, disabled 0, a flag.
        const std::string valueName = Attribute(policy.get(), "valueName");
        if (!valueName.empty()) {
            take(valueName, PolicyType::Flag, name);
            EXPECT_EQ(admx.Nodes("p:enabledValue/p:decimal[@value='1']", policy.get()).size(), 1u) << name;
            EXPECT_EQ(admx.Nodes("p:disabledValue/p:decimal[@value='0']", policy.get()).size(), 1u) << name;
        }
        for (const auto& element : admx.Nodes("p:elements/*", policy.get())) {
            const std::string kind = LocalName(element.get());
            const std::string elementValue = Attribute(element.get(), "valueName");
            const std::string elementKey = Attribute(element.get(), "key");
            EXPECT_TRUE(elementKey.empty() || elementKey == key) << name << "/" << elementValue;
            if (kind == "decimal") {
                take(elementValue, PolicyType::Number, name);
                if (const PolicyRow* row = RowNamed(elementValue)) {
                    EXPECT_EQ(Attribute(element.get(), "minValue"), std::to_string(row->minimum))
                        << elementValue;
                    EXPECT_EQ(Attribute(element.get(), "maxValue"), std::to_string(row->maximum))
                        << elementValue;
                }
            } else if (kind == "enum") {
                take(elementValue, PolicyType::Number, name);
                const PolicyRow* row = RowNamed(elementValue);
                std::set<DWORD> values;
                for (const auto& item : admx.Nodes("p:item/p:value/p:decimal", element.get()))
                    values.insert(static_cast<DWORD>(std::stoul(Attribute(item.get(), "value"))));
                // The choices are the reader's range, no more and no fewer.
                ASSERT_TRUE(row) << elementValue;
                std::set<DWORD> range;
                for (DWORD v = row->minimum; v <= row->maximum; ++v)
                    range.insert(v);
                EXPECT_EQ(values, range) << elementValue;
            } else if (kind == "text") {
                take(elementValue, PolicyType::Text, name);
            } else if (kind == "multiText") {
                take(elementValue, PolicyType::Texts, name);
            } else if (kind == "boolean") {
                take(elementValue, PolicyType::Flag, name);
            } else {
                ADD_FAILURE() << name << ": an element the program has no reading for: " << kind;
            }
        }
    }
    for (const PolicyRow& row : PolicyRows())
        EXPECT_TRUE(templated.count(row.name)) << "the template does not offer " << row.name;
}

// Every text and presentation the template names is in every language's .adml, with the same set
// of texts as the English one, and each presentation shows exactly its policy's elements.
TEST_F(PolicyTemplatesTest, EveryTextAndPresentationIsInEveryLanguage) {
    const Template admx("policies/Quillmoor.admx");
    ASSERT_TRUE(admx.WellFormed());
    std::set<std::string> strings;
    std::map<std::string, std::set<std::string>> presentations;  // id -> element ids
    for (const auto& node : admx.Nodes("//*[@displayName or @explainText]"))
        for (const char* attribute : {"displayName", "explainText"}) {
            const std::string text = Attribute(node.get(), attribute);
            if (text.empty())
                continue;
            const std::string id = Reference(text, "string");
            EXPECT_FALSE(id.empty()) << attribute << "=" << text;
            strings.insert(id);
        }
    for (const auto& policy : admx.Nodes("//p:policies/p:policy")) {
        const std::string text = Attribute(policy.get(), "presentation");
        const auto elements = admx.Nodes("p:elements/*", policy.get());
        if (text.empty()) {
            EXPECT_TRUE(elements.empty()) << Attribute(policy.get(), "name") << " shows its elements nowhere";
            continue;
        }
        std::set<std::string>& ids = presentations[Reference(text, "presentation")];
        for (const auto& element : elements)
            ids.insert(Attribute(element.get(), "id"));
    }
    ASSERT_FALSE(strings.empty());

    std::set<std::string> english;
    for (const char* language : kLanguages) {
        const Template adml(std::string("policies/") + language + "/Quillmoor.adml");
        ASSERT_TRUE(adml.WellFormed()) << language;
        std::set<std::string> defined;
        for (const auto& node : adml.Nodes("//p:stringTable/p:string")) {
            win::Bstr text;
            node->get_text(text.put());
            EXPECT_FALSE(text.ToText().empty()) << language << ": " << Attribute(node.get(), "id");
            EXPECT_TRUE(defined.insert(Attribute(node.get(), "id")).second)
                << language << ": " << Attribute(node.get(), "id") << " twice";
        }
        for (const std::string& id : strings)
            EXPECT_TRUE(defined.count(id)) << language << " has no text " << id;
        if (english.empty())
            english = defined;
        EXPECT_EQ(defined, english) << language << " holds other texts than en-US";
        for (const auto& [id, elements] : presentations) {
            const auto found = adml.Nodes("//p:presentationTable/p:presentation[@id='" + id + "']");
            ASSERT_EQ(found.size(), 1u) << language << " has no presentation " << id;
            std::set<std::string> shown;
            for (const auto& control : adml.Nodes("*[@refId]", found[0].get()))
                shown.insert(Attribute(control.get(), "refId"));
            EXPECT_EQ(shown, elements) << language << ": presentation " << id;
        }
    }
}
