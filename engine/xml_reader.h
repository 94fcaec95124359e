#pragma once

#include <cstddef>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

namespace dissim {

// An XML name as namespace and local name: "urn:...:table:1.0" and "table-cell" for
// table:table-cell; an empty namespace for a name in none.
struct XmlName {
    std::string_view space;
    std::string_view local;
};

class XmlReader;

// An element's attributes, as expat hands them over.
class XmlAttributes {
public:
    XmlAttributes(const char** pairs, const XmlReader& reader) : pairs_(pairs), reader_(reader) {}
    // The value of the attribute with this local name in a namespace whose name ends with
    // spaceEnd ("" for any namespace or none); empty if there is none.
    std::string_view get(std::string_view local, std::string_view spaceEnd = {}) const;
    // Whether the element has that attribute.
    bool has(std::string_view local, std::string_view spaceEnd = {}) const;

private:
    const char* find(std::string_view local, std::string_view spaceEnd) const;
    const char** pairs_;
    const XmlReader& reader_;
};

// What an XML reader hands its elements and text to. A handler may throw RunError (or
// anything): the reader stops and throws it on.
class XmlHandler {
public:
    virtual ~XmlHandler() = default;
    virtual void startElement(const XmlName& name, const XmlAttributes& attributes) = 0;
    virtual void endElement(const XmlName& name) = 0;
    // Character data, in pieces as they come (one text may come in several).
    virtual void text(std::string_view piece) = 0;
    // Whether the handler has all it wants: the reader then stops reading.
    virtual bool done() const { return false; }
};

// A streaming XML reader for the parts of a workbook (expat): any document type declaration is
// refused (a workbook's parts have none), so no entity is ever declared or expanded and no
// external one loaded; elements nest at most kMaxDepth deep. Failures throw RunError naming
// the part: "the workbook's part "xl/workbook.xml" is damaged: mismatched tag (line 3,
// column 5)".
class XmlReader {
public:
    static constexpr std::size_t kMaxDepth = 256;

    // what names the XML in messages: "the workbook's part \"content.xml\"".
    XmlReader(std::string what, XmlHandler& handler);
    ~XmlReader();
    XmlReader(const XmlReader&) = delete;
    XmlReader& operator=(const XmlReader&) = delete;

    // The next piece of the XML.
    void feed(std::string_view piece);
    // The end of the XML: fails where it is cut short.
    void finish();
    // Whether the handler said it was done (what comes after is then not read).
    bool stopped() const { return stopped_; }

    // The namespace a prefix stands for where the reader is ("" for the default namespace);
    // empty for none.
    std::string_view namespaceOf(std::string_view prefix) const;

    // Called from expat's callbacks.
    struct Callbacks;

private:
    void parse(const char* data, std::size_t size, bool last);
    [[noreturn]] void fail(const std::string& why);
    XmlName resolve(const char* name) const;
    void forgetLookups();

    // The namespace declarations in force (xmlns, xmlns:p), each with the depth of the element
    // that made it: expat reads the names as written, and the reader resolves them, which
    // costs less than expat's own namespace processing.
    struct Binding {
        std::string prefix;
        std::string space;
        std::size_t depth;
    };
    std::vector<Binding> bindings_;
    // The last prefixes looked up, and what they stood for (a file declares tens of namespaces
    // on its root and uses a few on every element); emptied when the declarations change.
    struct Lookup {
        std::string prefix;
        std::string_view space;
        bool used = false;
    };
    mutable Lookup lookups_[4];
    mutable std::size_t nextLookup_ = 0;

    std::string what_;
    XmlHandler& handler_;
    void* parser_ = nullptr; // expat's XML_Parser
    std::size_t depth_ = 0;
    bool stopped_ = false;
    std::string refusal_;       // why a callback stopped the parser
    std::exception_ptr thrown_; // what a handler threw
};

// A whole XML text read with one reader.
void readXml(std::string what, std::string_view xml, XmlHandler& handler);

class ZipArchive;
// An XML part of a workbook (a zip archive), streamed from the archive as it inflates, until
// the handler is done; named in messages as "the workbook's part \"NAME\"".
void readXmlPart(ZipArchive& archive, std::string_view part, XmlHandler& handler);
// How messages name a workbook's part.
std::string describePart(std::string_view part);

} // namespace dissim
