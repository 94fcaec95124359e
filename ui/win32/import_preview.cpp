#include "import_preview.h"

#include "screen_resolution.h"
#include "utf16.h"

#include <algorithm>
#include <string>

namespace dissim::ui::win32 {
namespace {

constexpr COLORREF kNameTint = RGB(221, 235, 247);
constexpr COLORREF kProblemPink = RGB(255, 199, 206);
constexpr COLORREF kProblemText = RGB(156, 0, 6);
// The widths of a column of cells at 96 dpi: the row numbers', and the narrowest and widest
// a column of cells is made to fit its texts.
constexpr int kRowNumberWidth = 40;
constexpr int kNarrowest = 56;
constexpr int kWidest = 180;

// A cell's text on one line: line breaks and tabs as spaces.
std::wstring oneLine(std::string_view text) {
    std::wstring wide = toUtf16(text);
    std::replace_if(
        wide.begin(), wide.end(), [](wchar_t c) { return c < L' '; }, L' ');
    return wide;
}

void setCellText(HWND control, int item, int subItem, const std::wstring& text) {
    LVITEMW cell{};
    cell.iSubItem = subItem;
    cell.pszText = const_cast<wchar_t*>(text.c_str());
    ::SendMessageW(control, LVM_SETITEMTEXTW, WPARAM(item), reinterpret_cast<LPARAM>(&cell));
}

} // namespace

ImportPreview::Look ImportPreview::lookOf(ImportModel::CellRole role) {
    switch (role) {
    case ImportModel::CellRole::Name:
        return {::GetSysColor(COLOR_WINDOWTEXT), kNameTint, true};
    case ImportModel::CellRole::Ignored:
        return {::GetSysColor(COLOR_GRAYTEXT), ::GetSysColor(COLOR_WINDOW), false};
    case ImportModel::CellRole::Problem:
        return {kProblemText, kProblemPink, false};
    case ImportModel::CellRole::Code:
        break;
    }
    return {::GetSysColor(COLOR_WINDOWTEXT), ::GetSysColor(COLOR_WINDOW), false};
}

ImportPreview::~ImportPreview() {
    if (bold_ != nullptr) {
        ::DeleteObject(bold_);
    }
}

void ImportPreview::setFont(HFONT font, UINT dpi) {
    dpi_ = dpi;
    LOGFONTW bold{};
    ::GetObjectW(font, sizeof(bold), &bold);
    bold.lfWeight = FW_BOLD;
    if (bold_ != nullptr) {
        ::DeleteObject(bold_);
    }
    bold_ = ::CreateFontIndirectW(&bold);
    ::SendMessageW(control_, WM_SETFONT, WPARAM(font), TRUE);
    show(model_);
}

void ImportPreview::setColumns(std::size_t columns) {
    while (columns_ > columns) {
        ::SendMessageW(control_, LVM_DELETECOLUMN, WPARAM(--columns_), 0);
    }
    while (columns_ < columns) {
        const std::wstring heading = columns_ == 0 ? L"" : toUtf16(columnName(columns_ - 1));
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.fmt = columns_ == 0 ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.cx = scaledPixels(columns_ == 0 ? kRowNumberWidth : kNarrowest, dpi_);
        column.pszText = const_cast<wchar_t*>(heading.c_str());
        ::SendMessageW(control_, LVM_INSERTCOLUMNW, WPARAM(columns_),
                       reinterpret_cast<LPARAM>(&column));
        ++columns_;
    }
}

void ImportPreview::show(const ImportModel* model) {
    model_ = model;
    ::SendMessageW(control_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(control_, LVM_DELETEALLITEMS, 0, 0);
    const std::size_t rows = model != nullptr ? model->previewRows() : 0;
    const std::size_t columns = model != nullptr ? model->previewColumns() : 0;
    // The first column holds the row numbers: the list view's first column cannot be right
    // aligned on every system, and is its own column here so that every cell has one look.
    setColumns(columns == 0 ? 0 : columns + 1);
    for (std::size_t row = 0; row < rows; ++row) {
        const std::wstring number = std::to_wstring(row + 1);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = int(row);
        item.pszText = const_cast<wchar_t*>(number.c_str());
        ::SendMessageW(control_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        for (std::size_t column = 0; column < columns; ++column) {
            setCellText(control_, int(row), int(column + 1),
                        oneLine(model->previewCell(row, column)));
        }
    }
    for (std::size_t column = 1; column < columns_; ++column) {
        ::SendMessageW(control_, LVM_SETCOLUMNWIDTH, WPARAM(column), LVSCW_AUTOSIZE_USEHEADER);
        const int width = int(::SendMessageW(control_, LVM_GETCOLUMNWIDTH, WPARAM(column), 0));
        ::SendMessageW(
            control_, LVM_SETCOLUMNWIDTH, WPARAM(column),
            std::clamp(width, scaledPixels(kNarrowest, dpi_), scaledPixels(kWidest, dpi_)));
    }
    ::SendMessageW(control_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(control_, nullptr, TRUE);
}

LRESULT ImportPreview::customDraw(NMLVCUSTOMDRAW& draw) const {
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        const auto row = std::size_t(draw.nmcd.dwItemSpec);
        if (draw.iSubItem == 0 || model_ == nullptr || row >= model_->previewRows() ||
            std::size_t(draw.iSubItem) > model_->previewColumns()) {
            // The row numbers, shaded as a header.
            draw.clrText = ::GetSysColor(COLOR_BTNTEXT);
            draw.clrTextBk = ::GetSysColor(COLOR_BTNFACE);
            return CDRF_NEWFONT;
        }
        const Look look = lookOf(model_->previewRole(row, std::size_t(draw.iSubItem - 1)));
        draw.clrText = look.text;
        draw.clrTextBk = look.background;
        if (look.bold && bold_ != nullptr) {
            ::SelectObject(draw.nmcd.hdc, bold_);
        } else {
            ::SelectObject(draw.nmcd.hdc,
                           reinterpret_cast<HFONT>(::SendMessageW(control_, WM_GETFONT, 0, 0)));
        }
        return CDRF_NEWFONT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

} // namespace dissim::ui::win32
