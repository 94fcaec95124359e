#include "sort_data_reader.h"

#include "files.h"
#include "item_text.h"
#include "run_error.h"

#include <algorithm>
#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace dissim {
namespace {

// No group code needs more characters; a longer item is an error rather than a memory sink.
constexpr std::size_t kMaxItemLength = 4096;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isComma(char c) {
    return c == ',' || c == ';';
}
// The bytes that end an item, as a table: the fast path asks for every item.
constexpr auto kItemEnds = [] {
    std::array<bool, 256> ends{};
    for (const char c : {' ', '\t', ',', ';', '\r', '\n'}) {
        ends[static_cast<unsigned char>(c)] = true;
    }
    return ends;
}();
bool isItemEnd(char c) {
    return kItemEnds[static_cast<unsigned char>(c)];
}

// What is wrong with an item, as its failure's description says it: the usual reason, unless
// the item is not text at all, which says more about the file than the reason would.
std::string itemFailure(std::string_view item, std::string_view reason) {
    if (!isText(item)) {
        return quotedItem(item) +
               " holds bytes that are not text: the sort data file must be plain text, such as a "
               "spreadsheet saved as CSV or as Unicode text";
    }
    return quotedItem(item) + " " + std::string(reason);
}

} // namespace

ParsedCode parseGroupCode(std::string_view item) {
    std::size_t pos = 0;
    bool negative = false;
    if (pos < item.size() && (item[pos] == '+' || item[pos] == '-')) {
        negative = item[pos] == '-';
        ++pos;
    }
    // The significant digits of integer and fraction part together, and where the fraction
    // began, so that whether the value is whole is decided exactly, without floating point.
    std::string mantissa;
    std::size_t digitCount = 0;
    std::int64_t fractionLength = 0;
    while (pos < item.size() && isDigit(item[pos])) {
        if (!mantissa.empty() || item[pos] != '0') {
            mantissa += item[pos];
        }
        ++digitCount;
        ++pos;
    }
    if (pos < item.size() && item[pos] == '.') {
        ++pos;
        while (pos < item.size() && isDigit(item[pos])) {
            if (!mantissa.empty() || item[pos] != '0') {
                mantissa += item[pos];
            }
            ++fractionLength;
            ++digitCount;
            ++pos;
        }
    }
    if (digitCount == 0) {
        return {0, "is not a number"};
    }
    std::int64_t exponent = 0;
    if (pos < item.size() && (item[pos] == 'e' || item[pos] == 'E')) {
        ++pos;
        bool negativeExponent = false;
        if (pos < item.size() && (item[pos] == '+' || item[pos] == '-')) {
            negativeExponent = item[pos] == '-';
            ++pos;
        }
        const std::size_t exponentStart = pos;
        while (pos < item.size() && isDigit(item[pos])) {
            // Saturates: beyond a million the answer no longer depends on the exact value.
            exponent = std::min<std::int64_t>(exponent * 10 + (item[pos] - '0'), 1'000'000);
            ++pos;
        }
        if (pos == exponentStart) {
            return {0, "is not a number"};
        }
        if (negativeExponent) {
            exponent = -exponent;
        }
    }
    if (pos != item.size()) {
        return {0, "is not a number"};
    }
    // A leading zero of the fraction part was dropped from the mantissa with the integer
    // zeros, which is right: only the position of the last significant digit matters.
    std::int64_t scale = exponent - fractionLength;
    while (!mantissa.empty() && mantissa.back() == '0') {
        mantissa.pop_back();
        ++scale;
    }
    if (mantissa.empty()) {
        return {0, nullptr};
    }
    if (scale < 0) {
        return {0, "is not a whole number"};
    }
    const char* tooLarge = "does not fit a group code (-32768 to 32767)";
    if (static_cast<std::int64_t>(mantissa.size()) + scale > 5) {
        return {0, tooLarge};
    }
    std::int64_t value = 0;
    for (char digit : mantissa) {
        value = value * 10 + (digit - '0');
    }
    for (std::int64_t i = 0; i < scale; ++i) {
        value *= 10;
    }
    if (negative) {
        value = -value;
    }
    if (value < -32768 || value > 32767) {
        return {0, tooLarge};
    }
    return {static_cast<std::int16_t>(value), nullptr};
}

SortDataReader::SortDataReader(InputFile& file) : file_(file), buffer_(kBufferBytes) {}

bool SortDataReader::refill() {
    if (pos_ < end_) {
        return true;
    }
    if (atEnd_) {
        return false;
    }
    pos_ = 0;
    if (atStart_) {
        startReading();
    } else {
        end_ = utf16_ ? decodeUtf16() : file_.read(buffer_.data(), buffer_.size());
    }
    if (end_ == 0) {
        atEnd_ = true;
        return false;
    }
    return pos_ < end_ || refill();
}

void SortDataReader::startReading() {
    atStart_ = false;
    end_ = file_.read(buffer_.data(), buffer_.size());
    // The byte-order mark needs its bytes together; a short first read (a pipe) is topped up.
    while (end_ > 0 && end_ < 3) {
        const std::size_t more = file_.read(buffer_.data() + end_, buffer_.size() - end_);
        if (more == 0) {
            break;
        }
        end_ += more;
    }
    const auto byte = [this](std::size_t i) { return static_cast<unsigned char>(buffer_[i]); };
    if (end_ >= 3 && byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF) {
        pos_ = 3;
    } else if (end_ >= 2 &&
               ((byte(0) == 0xFF && byte(1) == 0xFE) || (byte(0) == 0xFE && byte(1) == 0xFF))) {
        // The rest of this read is the first of the text to decode.
        utf16_.emplace(byte(0) == 0xFE);
        raw_.resize(kBufferBytes);
        rawEnd_ = end_ - 2;
        std::memcpy(raw_.data(), buffer_.data() + 2, rawEnd_);
        end_ = decodeUtf16();
    }
}

std::size_t SortDataReader::decodeUtf16() {
    for (;;) {
        const Utf16Decoder::Decoded d = utf16_->decode(raw_.data() + rawPos_, rawEnd_ - rawPos_,
                                                       buffer_.data(), buffer_.size(), rawAtEnd_);
        rawPos_ += d.used;
        // Text before bytes that are not text is read first: they fail only once reached.
        if (d.written > 0) {
            return d.written;
        }
        if (d.notText) {
            notText_ = escapedBytes(std::string_view(raw_.data() + rawPos_,
                                                     std::min<std::size_t>(rawEnd_ - rawPos_, 4)));
            return 0;
        }
        if (rawAtEnd_) {
            return 0;
        }
        // A character cut by the end of the last read moves to the front, to be completed.
        std::memmove(raw_.data(), raw_.data() + rawPos_, rawEnd_ - rawPos_);
        rawEnd_ -= rawPos_;
        rawPos_ = 0;
        const std::size_t got = file_.read(raw_.data() + rawEnd_, raw_.size() - rawEnd_);
        rawAtEnd_ = got == 0;
        rawEnd_ += got;
    }
}

bool SortDataReader::more(std::int64_t subject, std::int64_t stimulus) {
    if (refill()) {
        return true;
    }
    if (!notText_.empty()) {
        itemLine_ = line_;
        fail(subject, stimulus,
             "the sort data file, UTF-16 text by its byte-order mark, holds bytes here that are "
             "not text (" +
                 notText_ + ")");
    }
    return false;
}

void SortDataReader::endLine() {
    const std::int64_t codes = codesRead_ - lineStartCodes_;
    lineStartCodes_ = codesRead_;
    if (codes == 0) {
        return;
    }
    if (linesWithCodes_ == 0) {
        lineCodes_ = codes;
    } else if (codes != lineCodes_) {
        lineCodes_ = kMixedLines;
    }
    ++linesWithCodes_;
}

SortDataReader::LineLayout SortDataReader::lineLayout() {
    bool onlySeparators = true;
    try {
        // Separators up to the end of the file; the last line may have no line end.
        while (refill()) {
            const char c = buffer_[pos_];
            if (c == '\r' || c == '\n') {
                if (c == '\r' || !lastWasCr_) {
                    endLine();
                }
                lastWasCr_ = c == '\r';
            } else if (c == ' ' || c == '\t' || isComma(c)) {
                lastWasCr_ = false;
            } else {
                onlySeparators = false;
                break;
            }
            ++pos_;
        }
        onlySeparators = onlySeparators && notText_.empty();
    } catch (const RunError&) {
        // The codes the run needs were all read: a read error beyond them is no failure of the
        // run, only the end of what can be said about the file's lines.
        onlySeparators = false;
    }
    endLine();
    const bool even = onlySeparators && lineCodes_ != kMixedLines;
    return {linesWithCodes_, even ? lineCodes_ : 0};
}

void SortDataReader::fail(std::int64_t subject, std::int64_t stimulus,
                          const std::string& what) const {
    throw RunError("subject " + std::to_string(subject) + ", stimulus " + std::to_string(stimulus) +
                   ", line " + std::to_string(itemLine_) + ": " + what);
}

std::optional<std::string> SortDataReader::nextItem(std::int64_t subject, std::int64_t stimulus) {
    // Separators up to the item.
    for (;;) {
        if (!more(subject, stimulus)) {
            return std::nullopt;
        }
        const char c = buffer_[pos_];
        if (c == '\r' || c == '\n') {
            if (c == '\r' || !lastWasCr_) {
                ++line_;
                endLine();
            }
            lastWasCr_ = c == '\r';
            commaAllowed_ = false;
            ++pos_;
            continue;
        }
        lastWasCr_ = false;
        if (c == ' ' || c == '\t') {
            ++pos_;
        } else if (isComma(c)) {
            if (!commaAllowed_) {
                itemLine_ = line_;
                fail(subject, stimulus,
                     std::string("an empty item stands before this ") +
                         (c == ',' ? "comma" : "semicolon"));
            }
            commaAllowed_ = false;
            ++pos_;
        } else {
            break;
        }
    }

    itemLine_ = line_;
    std::string item;
    const bool quoted = buffer_[pos_] == '"';
    if (quoted) {
        ++pos_;
    }
    for (;;) {
        if (!more(subject, stimulus)) {
            if (quoted) {
                fail(subject, stimulus, itemFailure("\"" + item, "has no closing quote"));
            }
            break;
        }
        const char c = buffer_[pos_];
        if (quoted) {
            if (c == '"') {
                ++pos_;
                if (more(subject, stimulus) && !isItemEnd(buffer_[pos_])) {
                    fail(subject, stimulus,
                         itemFailure("\"" + item + "\"", "is followed by text after its quote"));
                }
                break;
            }
            if (c == '\r' || c == '\n') {
                fail(subject, stimulus, itemFailure("\"" + item, "has no closing quote"));
            }
        } else if (isItemEnd(c)) {
            break;
        }
        if (item.size() == kMaxItemLength) {
            fail(subject, stimulus, itemFailure(item, "is too long to be a group code"));
        }
        item += c;
        ++pos_;
    }
    commaAllowed_ = true;
    return item;
}

namespace {

// The plain item at data[p] (see the fast path in sort_data_reader.h), ending before end. On
// success stores the code, moves p to the separator after the item and returns true; otherwise
// leaves p as it was.
bool takePlainItem(const char* data, std::size_t& p, std::size_t end, bool commaAllowed,
                   std::int16_t& code) {
    std::size_t q = p;
    while (q < end && (data[q] == ' ' || data[q] == '\t')) {
        ++q;
    }
    if (q < end && isComma(data[q]) && commaAllowed) {
        ++q;
        while (q < end && (data[q] == ' ' || data[q] == '\t')) {
            ++q;
        }
    }
    const bool negative = q < end && data[q] == '-';
    if (negative) {
        ++q;
    }
    const std::size_t digits = q;
    int value = 0;
    while (q < end && q - digits < 5 && isDigit(data[q])) {
        value = value * 10 + (data[q] - '0');
        ++q;
    }
    if (q == digits || q == end || !isItemEnd(data[q])) {
        return false;
    }
    value = negative ? -value : value;
    if (value < -32768 || value > 32767) {
        return false;
    }
    p = q;
    code = static_cast<std::int16_t>(value);
    return true;
}

#if defined(__SSE2__)
// Eight items at data[p] that are each one separator byte (a space, a tab, or a comma or
// semicolon where one may stand) and one digit, followed by a separator: stores their codes and
// returns true; otherwise false. Each 16-bit lane of the 16 bytes holds a separator and a
// digit, so the lane shifted right by a byte is the digit's value. Only the first separator
// can be a comma that may not stand: every later one follows an item.
bool takeEightSeparatedDigits(const char* data, std::size_t p, std::size_t end, bool commaAllowed,
                              std::int16_t* codes) {
    constexpr std::size_t kBytes = 16;
    constexpr unsigned kEven = 0x5555; // the separators' places
    constexpr unsigned kOdd = 0xAAAA;  // the digits' places
    if (end - p <= kBytes || !isItemEnd(data[p + kBytes]) || (!commaAllowed && isComma(data[p]))) {
        return false;
    }
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + p));
    const __m128i values = _mm_sub_epi8(bytes, _mm_set1_epi8('0'));
    const __m128i digits = _mm_cmpeq_epi8(_mm_min_epu8(values, _mm_set1_epi8(9)), values);
    const auto digitBits = static_cast<unsigned>(_mm_movemask_epi8(digits));
    // Spaces are asked for first, alone: they are the most common, and the others cost more.
    auto separatorBits =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(' '))));
    if ((separatorBits & kEven) != kEven) {
        const __m128i others =
            _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\t')),
                         _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(',')),
                                      _mm_cmpeq_epi8(bytes, _mm_set1_epi8(';'))));
        separatorBits |= static_cast<unsigned>(_mm_movemask_epi8(others));
    }
    if ((separatorBits & kEven) != kEven || (digitBits & kOdd) != kOdd) {
        return false;
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(codes), _mm_srli_epi16(values, 8));
    return true;
}
#endif

} // namespace

void SortDataReader::tookPlainItems(std::size_t end, std::int64_t taken) {
    pos_ = end;
    itemLine_ = line_;
    lastWasCr_ = false;
    commaAllowed_ = true;
    codesRead_ += taken;
}

void SortDataReader::readCodes(std::int64_t subject, std::int16_t* codes, std::int64_t count) {
    std::int64_t k = 1;
    while (k <= count) {
        // As many plain items as follow each other in the buffer, with the reader's state in
        // locals, then one item the general way.
        const char* const data = buffer_.data();
        std::size_t p = pos_;
        bool commaAllowed = commaAllowed_;
        const std::int64_t first = k;
        while (k <= count) {
#if defined(__SSE2__)
            if (count - k >= 7 &&
                takeEightSeparatedDigits(data, p, end_, commaAllowed, codes + k)) {
                p += 16;
                k += 8;
                commaAllowed = true;
                continue;
            }
#endif
            if (!takePlainItem(data, p, end_, commaAllowed, codes[k])) {
                break;
            }
            commaAllowed = true;
            ++k;
        }
        if (k > first) {
            tookPlainItems(p, k - first);
        }
        if (k <= count) {
            codes[k] = readItemCode(subject, k);
            ++k;
        }
    }
}

std::int16_t SortDataReader::readCode(std::int64_t subject, std::int64_t stimulus) {
    std::int16_t code = 0;
    std::size_t p = pos_;
    if (takePlainItem(buffer_.data(), p, end_, commaAllowed_, code)) {
        tookPlainItems(p, 1);
        return code;
    }
    return readItemCode(subject, stimulus);
}

std::int16_t SortDataReader::readItemCode(std::int64_t subject, std::int64_t stimulus) {
    const auto item = nextItem(subject, stimulus);
    if (!item) {
        itemLine_ = line_;
        fail(subject, stimulus,
             "the sort data file ends here, after " + std::to_string(codesRead_) + " codes");
    }
    const ParsedCode parsed = parseGroupCode(*item);
    if (parsed.error != nullptr) {
        fail(subject, stimulus, itemFailure(*item, parsed.error));
    }
    ++codesRead_;
    return parsed.code;
}

} // namespace dissim
