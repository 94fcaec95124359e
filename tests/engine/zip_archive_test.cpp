// The zip archive (minizip over memory) and the XML reader (expat) under the workbook readers:
// what they read, and how each hostile or damaged input fails, as tables of cases.

#include "run_error.h"
#include "xml_reader.h"
#include "zip_archive.h"
#include "zip_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using dissim::RunError;
using dissim::ZipArchive;
using testsupport::ZipEntry;
using testsupport::zipOf;

// The message of what fn throws; empty if it throws nothing.
template <typename Fn> std::string failure(Fn fn) {
    try {
        fn();
    } catch (const RunError& error) {
        return error.what();
    }
    return {};
}

TEST(ZipArchive, ReadsEntriesByName) {
    const std::string bytes = zipOf({{"mimetype", "text"},
                                     {"xl/Workbook.xml", "<workbook/>"},
                                     {"empty", ""},
                                     {"big", std::string(200000, 'x')}});
    ZipArchive archive(bytes, "the workbook");
    EXPECT_EQ(archive.names(),
              (std::vector<std::string>{"mimetype", "xl/Workbook.xml", "empty", "big"}));
    EXPECT_EQ(archive.read("mimetype"), "text");
    // Office's part names match whatever the case of their letters.
    EXPECT_TRUE(archive.has("xl/workbook.xml"));
    EXPECT_EQ(archive.read("XL/WORKBOOK.XML"), "<workbook/>");
    EXPECT_EQ(archive.read("empty"), "");
    EXPECT_EQ(archive.read("big"), std::string(200000, 'x'));
    EXPECT_FALSE(archive.has("missing"));
    EXPECT_EQ(failure([&] { archive.read("missing"); }), "the workbook has no part \"missing\"");
    // Streamed in pieces, and stopped when the reader has enough.
    std::size_t pieces = 0;
    std::string streamed;
    archive.stream("big", [&](std::string_view piece) {
        ++pieces;
        streamed.append(piece);
        return true;
    });
    EXPECT_EQ(streamed, std::string(200000, 'x'));
    EXPECT_GT(pieces, 1u);
    pieces = 0;
    archive.stream("big", [&](std::string_view) { return ++pieces < 2; });
    EXPECT_EQ(pieces, 2u);
    // An empty archive (its end record alone) is none to minizip, and no workbook anyway.
    EXPECT_EQ(failure([] { ZipArchive archive(zipOf({})); }),
              "the archive is no zip archive, or a damaged one");
}

struct EntryCase {
    const char* what;
    ZipEntry entry;
    const char* failure; // the message's end; "" when the entry reads
};

const std::string kData(5000, 'd');

const EntryCase kEntries[] = {
    {"as declared", {"e", kData}, ""},
    {"a size that says less",
     {"e", kData, 10},
     "is damaged: it does not inflate to what the "
     "archive says"},
    {"a size that says more",
     {"e", kData, 6000},
     "is damaged: it does not inflate to what the "
     "archive says"},
    {"a wrong checksum",
     {"e", kData, -1, 1234},
     "is damaged: it does not inflate to what the "
     "archive says"},
    {"a size past the bound",
     {"e", kData, 2000000000},
     "inflates to more than 1 GB, far more "
     "than a table needs: the file is no "
     "workbook a spreadsheet saves (a zip "
     "bomb?)"},
    {"encrypted",
     {"e", kData, -1, -1, 1},
     "is encrypted: the workbook is protected by a "
     "password"},
    {"bzip2",
     {"e", kData, -1, -1, 0, 12},
     "is compressed in a way this program cannot read "
     "(method 12)"},
    {"not deflated as it says",
     {"e", kData, -1, -1, 0, 8},
     "is damaged: it does not inflate to "
     "what the archive says"},
};

TEST(ZipArchive, TrustsNothingAnEntryDeclares) {
    for (const EntryCase& c : kEntries) {
        const std::string bytes = zipOf({c.entry});
        ZipArchive archive(bytes, "the workbook");
        const std::string message = failure([&] { EXPECT_EQ(archive.read("e"), kData); });
        if (std::string(c.failure).empty()) {
            EXPECT_EQ(message, "") << c.what;
        } else {
            EXPECT_EQ(message, "the workbook's part \"e\" " + std::string(c.failure)) << c.what;
        }
    }
}

TEST(ZipArchive, BoundsWhatEntriesInflateTo) {
    const std::string bytes = zipOf({{"a", kData}, {"b", kData}, {"c", kData}});
    // Each entry under its own limit.
    ZipArchive archive(bytes, "the workbook");
    EXPECT_EQ(failure([&] { archive.read("a", 4999); }),
              "the workbook's part \"a\" inflates to more than 4999 bytes, far more than a table "
              "needs: the file is no workbook a spreadsheet saves (a zip bomb?)");
    EXPECT_EQ(archive.read("a", 5000), kData);
    // All entries under the archive's: overlapping entries or many reads add up.
    ZipArchive bounded(bytes, "the workbook", 12000);
    EXPECT_EQ(bounded.read("a"), kData);
    EXPECT_EQ(bounded.read("b"), kData);
    EXPECT_NE(failure([&] { bounded.read("c"); }).find("inflates to more than 12000 bytes"),
              std::string::npos);
    EXPECT_EQ(bounded.inflatedBytes(), 10000u);
}

TEST(ZipArchive, RefusesWhatIsNoArchive) {
    const std::string valid = zipOf({{"a", kData}, {"b", "bb"}});
    const std::string damaged = "the workbook is no zip archive, or a damaged one";
    for (const std::string& bytes :
         {std::string(), std::string("PK"), std::string("not a zip at all"),
          std::string("PK\x03\x04", 4) + std::string(100, '\0'), valid.substr(0, valid.size() - 22),
          valid.substr(0, valid.size() / 2)}) {
        EXPECT_EQ(failure([&] { ZipArchive archive(bytes, "the workbook"); }), damaged)
            << bytes.size();
    }
    // Cut anywhere, an archive fails with a message or reads what is left whole; it never reads
    // past its end.
    std::size_t failed = 0;
    for (std::size_t size = 0; size < valid.size(); ++size) {
        const std::string cut = valid.substr(0, size);
        const std::string message = failure([&] {
            ZipArchive archive(cut, "the workbook");
            EXPECT_EQ(archive.read("a"), kData) << size;
        });
        failed += message.empty() ? 0 : 1;
    }
    // All but the cuts in the last bytes of the archive's end (its comment's length).
    EXPECT_GE(failed, valid.size() - 3);
    // Damaged bytes in the directory.
    for (std::size_t at = valid.size() - 70; at < valid.size(); ++at) {
        std::string changed = valid;
        changed[at] = static_cast<char>(changed[at] ^ 0x55);
        failure([&] {
            ZipArchive archive(changed, "the workbook");
            for (const std::string& name : archive.names()) {
                if (archive.has(name)) {
                    archive.read(name);
                }
            }
        });
    }
}

// Elements and text as a handler sees them.
struct Recorder : dissim::XmlHandler {
    void startElement(const dissim::XmlName& name,
                      const dissim::XmlAttributes& attributes) override {
        log += "<" + std::string(name.local);
        if (!name.space.empty()) {
            log += "{" + std::string(name.space) + "}";
        }
        if (attributes.has("a")) {
            log += " a=" + std::string(attributes.get("a"));
        }
        if (attributes.has("id", "relationships")) {
            log += " r:id=" + std::string(attributes.get("id", "relationships"));
        }
        log += ">";
    }
    void endElement(const dissim::XmlName& name) override {
        log += "</" + std::string(name.local) + ">";
    }
    void text(std::string_view piece) override { log += piece; }
    std::string log;
};

struct XmlCase {
    std::string xml;
    std::string log;     // what the handler saw, when it reads
    std::string failure; // the message after "the part is damaged: "
};

std::vector<XmlCase> xmlCases() {
    std::string deep;
    std::string deepEnd;
    for (int i = 0; i < 257; ++i) {
        deep += "<a>";
        deepEnd += "</a>";
    }
    std::string shallow;
    std::string shallowEnd;
    for (int i = 0; i < 256; ++i) {
        shallow += "<b>";
        shallowEnd += "</b>";
    }
    return {
        {"<a a=\"1 &amp; 2\">x&lt;y<b/>&#233;</a>", "<a a=1 & 2>x<y<b></b>\xC3\xA9</a>", ""},
        {"<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<r:x xmlns:r=\"urn:r\" "
         "xmlns:q=\"http://x/relationships\" q:id=\"rId1\"><![CDATA[<c>]]></r:x>",
         "<x{urn:r} r:id=rId1><c></x>", ""},
        {shallow + shallowEnd, "", ""},
        {deep + deepEnd, "", "its elements nest more than 256 deep, far deeper than a workbook's"},
        {"<!DOCTYPE a><a/>", "",
         "it holds a document type declaration (<!DOCTYPE ...>), which a workbook's parts never "
         "have"},
        {"<!DOCTYPE a [<!ENTITY e \"&f;&f;\"><!ENTITY f \"ff\">]><a>&e;</a>", "",
         "it holds a document type declaration (<!DOCTYPE ...>), which a workbook's parts never "
         "have"},
        {"<!DOCTYPE a SYSTEM \"file:///etc/passwd\"><a/>", "",
         "it holds a document type declaration (<!DOCTYPE ...>), which a workbook's parts never "
         "have"},
        {"<a>&e;</a>", "", "undefined entity (line 1, column 4)"},
        {"<a><b></a>", "", "mismatched tag (line 1, column 9)"},
        {"<a>", "", "no element found (line 1, column 4)"},
        {"", "", "no element found (line 1, column 1)"},
        {"<a/><b/>", "", "junk after document element (line 1, column 5)"},
        {"<a>\xFF</a>", "", "not well-formed (invalid token) (line 1, column 4)"},
    };
}

TEST(XmlReader, ReadsWhatAWorkbookHoldsAndRefusesTheRest) {
    for (const XmlCase& c : xmlCases()) {
        // Whole, and in pieces of one byte.
        for (const bool whole : {true, false}) {
            Recorder recorder;
            const std::string message = failure([&] {
                if (whole) {
                    dissim::readXml("the part", c.xml, recorder);
                } else {
                    dissim::XmlReader reader("the part", recorder);
                    for (const char byte : c.xml) {
                        reader.feed(std::string_view(&byte, 1));
                    }
                    reader.finish();
                }
            });
            if (c.failure.empty()) {
                EXPECT_EQ(message, "") << c.xml.substr(0, 80);
                if (!c.log.empty()) {
                    EXPECT_EQ(recorder.log, c.log);
                }
            } else {
                EXPECT_EQ(message, "the part is damaged: " + c.failure) << c.xml.substr(0, 80);
            }
        }
    }
}

// A handler that throws stops the reader, which throws the same on.
struct Thrower : dissim::XmlHandler {
    void startElement(const dissim::XmlName& name, const dissim::XmlAttributes&) override {
        if (name.local == "stop") {
            throw RunError("stopped at <stop>");
        }
    }
    void endElement(const dissim::XmlName&) override {}
    void text(std::string_view) override {}
};

TEST(XmlReader, PassesOnWhatAHandlerThrows) {
    Thrower thrower;
    EXPECT_EQ(failure([&] { dissim::readXml("the part", "<a><stop/></a>", thrower); }),
              "stopped at <stop>");
}

} // namespace
