#include "xml_reader.h"

#include "run_error.h"
#include "zip_archive.h"

#include <expat.h>

#include <algorithm>
#include <cstring>
#include <iterator>

namespace dissim {
namespace {

// A name as written, split into its prefix ("" for none) and local name.
void splitName(const char* name, std::string_view& prefix, std::string_view& local) {
    const char* colon = nullptr;
    const char* end = name;
    for (; *end != '\0'; ++end) {
        if (*end == ':' && colon == nullptr) {
            colon = end;
        }
    }
    if (colon == nullptr) {
        prefix = {};
        local = std::string_view(name, static_cast<std::size_t>(end - name));
    } else {
        prefix = std::string_view(name, static_cast<std::size_t>(colon - name));
        local = std::string_view(colon + 1, static_cast<std::size_t>(end - colon - 1));
    }
}

// A namespace declaration: "xmlns" (the default namespace) or "xmlns:p"; its prefix.
bool isDeclaration(const char* name, std::string_view& prefix) {
    if (std::strncmp(name, "xmlns", 5) != 0) {
        return false;
    }
    if (name[5] == '\0') {
        prefix = {};
        return true;
    }
    if (name[5] == ':') {
        prefix = std::string_view(name + 6);
        return true;
    }
    return false;
}

bool endsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// The largest piece handed to expat at once (its lengths are ints).
constexpr std::size_t kMaxParse = std::size_t{1} << 24;

} // namespace

const char* XmlAttributes::find(std::string_view local, std::string_view spaceEnd) const {
    for (const char** pair = pairs_; *pair != nullptr; pair += 2) {
        std::string_view prefix;
        std::string_view name;
        splitName(pair[0], prefix, name);
        if (name != local) {
            continue;
        }
        // An attribute without a prefix is in no namespace, whatever the default.
        if (spaceEnd.empty() ||
            (!prefix.empty() && endsWith(reader_.namespaceOf(prefix), spaceEnd))) {
            return pair[1];
        }
    }
    return nullptr;
}

std::string_view XmlAttributes::get(std::string_view local, std::string_view spaceEnd) const {
    const char* value = find(local, spaceEnd);
    return value != nullptr ? std::string_view(value) : std::string_view();
}

bool XmlAttributes::has(std::string_view local, std::string_view spaceEnd) const {
    return find(local, spaceEnd) != nullptr;
}

struct XmlReader::Callbacks {
    static XmlReader& reader(void* data) { return *static_cast<XmlReader*>(data); }

    // Stops the parser for the reason given (a refusal) or for a handler's exception.
    static void stop(XmlReader& self) {
        XML_StopParser(static_cast<XML_Parser>(self.parser_), XML_FALSE);
    }
    static bool halted(XmlReader& self) {
        return self.stopped_ || !self.refusal_.empty() || self.thrown_;
    }

    static void XMLCALL start(void* data, const XML_Char* name, const XML_Char** attributes) {
        XmlReader& self = reader(data);
        if (halted(self)) {
            return;
        }
        if (++self.depth_ > kMaxDepth) {
            self.refusal_ = "its elements nest more than " + std::to_string(kMaxDepth) +
                            " deep, far deeper than a workbook's";
            stop(self);
            return;
        }
        try {
            for (const XML_Char** pair = attributes; *pair != nullptr; pair += 2) {
                std::string_view prefix;
                if (isDeclaration(pair[0], prefix)) {
                    self.bindings_.push_back({std::string(prefix), pair[1], self.depth_});
                    self.forgetLookups();
                }
            }
            self.handler_.startElement(self.resolve(name), XmlAttributes(attributes, self));
            if (self.handler_.done()) {
                self.stopped_ = true;
                stop(self);
            }
        } catch (...) {
            self.thrown_ = std::current_exception();
            stop(self);
        }
    }

    static void XMLCALL end(void* data, const XML_Char* name) {
        XmlReader& self = reader(data);
        if (halted(self)) {
            return;
        }
        try {
            self.handler_.endElement(self.resolve(name));
            while (!self.bindings_.empty() && self.bindings_.back().depth == self.depth_) {
                self.bindings_.pop_back();
                self.forgetLookups();
            }
            --self.depth_;
            if (self.handler_.done()) {
                self.stopped_ = true;
                stop(self);
            }
        } catch (...) {
            self.thrown_ = std::current_exception();
            stop(self);
        }
    }

    static void XMLCALL text(void* data, const XML_Char* text, int length) {
        XmlReader& self = reader(data);
        if (halted(self)) {
            return;
        }
        try {
            self.handler_.text(std::string_view(text, static_cast<std::size_t>(length)));
        } catch (...) {
            self.thrown_ = std::current_exception();
            stop(self);
        }
    }

    static void refuseDeclarations(XmlReader& self) {
        if (self.refusal_.empty()) {
            self.refusal_ = "it holds a document type declaration (<!DOCTYPE ...>), which a "
                            "workbook's parts never have";
        }
        stop(self);
    }

    static void XMLCALL doctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*,
                                int) {
        refuseDeclarations(reader(data));
    }

    static void XMLCALL entity(void* data, const XML_Char*, int, const XML_Char*, int,
                               const XML_Char*, const XML_Char*, const XML_Char*, const XML_Char*) {
        refuseDeclarations(reader(data));
    }
};

XmlReader::XmlReader(std::string what, XmlHandler& handler)
    : what_(std::move(what)), handler_(handler) {
    XML_Parser parser = XML_ParserCreate("UTF-8");
    if (parser == nullptr) {
        throw RunError("there is not enough memory to read " + what_);
    }
    parser_ = parser;
    XML_SetUserData(parser, this);
    XML_SetElementHandler(parser, Callbacks::start, Callbacks::end);
    XML_SetCharacterDataHandler(parser, Callbacks::text);
    XML_SetStartDoctypeDeclHandler(parser, Callbacks::doctype);
    XML_SetEntityDeclHandler(parser, Callbacks::entity);
    // No external entity is ever loaded: no handler for them, and no parameter entities.
    XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);
}

XmlReader::~XmlReader() {
    XML_ParserFree(static_cast<XML_Parser>(parser_));
}

std::string_view XmlReader::namespaceOf(std::string_view prefix) const {
    if (prefix == "xml") {
        return "http://www.w3.org/XML/1998/namespace";
    }
    for (const Lookup& lookup : lookups_) {
        if (lookup.used && lookup.prefix == prefix) {
            return lookup.space;
        }
    }
    std::string_view space;
    for (auto binding = bindings_.rbegin(); binding != bindings_.rend(); ++binding) {
        if (binding->prefix == prefix) {
            space = binding->space;
            break;
        }
    }
    Lookup& lookup = lookups_[nextLookup_++ % std::size(lookups_)];
    lookup.prefix.assign(prefix);
    lookup.space = space;
    lookup.used = true;
    return space;
}

void XmlReader::forgetLookups() {
    for (Lookup& lookup : lookups_) {
        lookup.used = false;
    }
}

XmlName XmlReader::resolve(const char* name) const {
    XmlName resolved;
    std::string_view prefix;
    splitName(name, prefix, resolved.local);
    resolved.space = bindings_.empty() ? std::string_view() : namespaceOf(prefix);
    return resolved;
}

void XmlReader::fail(const std::string& why) {
    throw RunError(what_ + " is damaged: " + why);
}

void XmlReader::parse(const char* data, std::size_t size, bool last) {
    if (stopped_) {
        return;
    }
    auto parser = static_cast<XML_Parser>(parser_);
    do {
        const std::size_t length = std::min(size, kMaxParse);
        const bool final = last && length == size;
        const XML_Status status = XML_Parse(parser, data, static_cast<int>(length), final);
        if (thrown_) {
            std::exception_ptr thrown = thrown_;
            thrown_ = nullptr;
            std::rethrow_exception(thrown);
        }
        if (!refusal_.empty()) {
            fail(refusal_);
        }
        if (stopped_) {
            return;
        }
        if (status != XML_STATUS_OK) {
            const XML_Error code = XML_GetErrorCode(parser);
            const XML_LChar* message = XML_ErrorString(code);
            fail(std::string(message != nullptr ? message : "not well-formed XML") + " (line " +
                 std::to_string(XML_GetCurrentLineNumber(parser)) + ", column " +
                 std::to_string(XML_GetCurrentColumnNumber(parser) + 1) + ")");
        }
        data += length;
        size -= length;
    } while (size > 0);
}

void XmlReader::feed(std::string_view piece) {
    if (!piece.empty()) {
        parse(piece.data(), piece.size(), false);
    }
}

void XmlReader::finish() {
    parse("", 0, true);
}

void readXml(std::string what, std::string_view xml, XmlHandler& handler) {
    XmlReader reader(std::move(what), handler);
    reader.feed(xml);
    reader.finish();
}

std::string describePart(std::string_view part) {
    return "the workbook's part \"" + std::string(part) + "\"";
}

void readXmlPart(ZipArchive& archive, std::string_view part, XmlHandler& handler) {
    XmlReader reader(describePart(part), handler);
    archive.stream(part, [&reader](std::string_view piece) {
        reader.feed(piece);
        return !reader.stopped();
    });
    if (!reader.stopped()) {
        reader.finish();
    }
}

} // namespace dissim
