#include "text_prompt.h"

#include "utf16.h"

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace dissim::ui::win32 {
namespace {

constexpr int kMessageId = 100;
constexpr int kAnswerId = 101;

// The predefined window classes of a dialog template's items.
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;

// A dialog template in memory: the header, then each item, every one of them starting on a
// DWORD boundary; texts are UTF-16 and ended by a zero.
class DialogTemplate {
public:
    DialogTemplate(DWORD style, short width, short height, const wchar_t* font, WORD points) {
        DLGTEMPLATE header{};
        header.style = style;
        header.cx = width;
        header.cy = height;
        append(header);
        words_.push_back(0); // no menu
        words_.push_back(0); // the dialog class
        words_.push_back(0); // no title yet: set when the dialog opens
        words_.push_back(points);
        appendText(font);
        countAt_ = offsetof(DLGTEMPLATE, cdit) / sizeof(WORD);
    }

    void addItem(WORD itemClass, int id, DWORD style, short x, short y, short width, short height,
                 const wchar_t* text = L"") {
        if (words_.size() % 2 != 0) {
            words_.push_back(0);
        }
        DLGITEMTEMPLATE item{};
        item.style = style | WS_CHILD | WS_VISIBLE;
        item.x = x;
        item.y = y;
        item.cx = width;
        item.cy = height;
        item.id = static_cast<WORD>(id);
        append(item);
        words_.push_back(0xFFFF);
        words_.push_back(itemClass);
        appendText(text);
        words_.push_back(0); // no creation data
        ++words_[countAt_];
    }

    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    template <typename T> void append(const T& value) {
        static_assert(sizeof(T) % sizeof(WORD) == 0);
        WORD words[sizeof(T) / sizeof(WORD)];
        std::memcpy(words, &value, sizeof(T));
        for (const WORD word : words) {
            words_.push_back(word);
        }
    }
    void appendText(const wchar_t* text) {
        for (; *text != L'\0'; ++text) {
            words_.push_back(static_cast<WORD>(*text));
        }
        words_.push_back(0);
    }

    std::vector<WORD> words_;
    std::size_t countAt_ = 0;
};

// The prompt's layout in dialog units, which the system scales with the dialog's font.
DialogTemplate promptTemplate() {
    DialogTemplate dialog(DS_MODALFRAME | DS_SHELLFONT | DS_CENTER | WS_POPUP | WS_CAPTION |
                              WS_SYSMENU,
                          250, 78, L"MS Shell Dlg", 8);
    dialog.addItem(kStaticClass, kMessageId, SS_LEFT | SS_NOPREFIX, 7, 7, 180, 44);
    dialog.addItem(kEditClass, kAnswerId, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 57, 236, 14);
    dialog.addItem(kButtonClass, IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 193, 7, 50, 14, L"OK");
    dialog.addItem(kButtonClass, IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 193, 25, 50, 14, L"Cancel");
    return dialog;
}

struct Question {
    std::wstring message;
    std::wstring title;
    std::wstring answer;
};

std::wstring textOf(HWND control) {
    const int length = ::GetWindowTextLengthW(control);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(control, text.data(), length + 1)));
    return text;
}

INT_PTR CALLBACK promptProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        const auto* question = reinterpret_cast<const Question*>(lParam);
        ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        ::SetWindowTextW(dialog, question->title.c_str());
        ::SetDlgItemTextW(dialog, kMessageId, question->message.c_str());
        ::SetFocus(::GetDlgItem(dialog, kAnswerId));
        return FALSE; // the focus is set
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            auto* question = reinterpret_cast<Question*>(::GetWindowLongPtrW(dialog, DWLP_USER));
            question->answer = textOf(::GetDlgItem(dialog, kAnswerId));
            ::EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            ::EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

} // namespace

std::string Win32TextPrompt::ask(const std::string& message, const std::string& title) {
    static const DialogTemplate dialog = promptTemplate();
    Question question{toUtf16(message), toUtf16(title), {}};
    const INT_PTR result =
        ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), dialog.get(), owner_, promptProc,
                                  reinterpret_cast<LPARAM>(&question));
    if (result == -1 || result == 0) {
        throw std::runtime_error("the prompt cannot be shown (error " +
                                 std::to_string(::GetLastError()) + ")");
    }
    return result == IDOK ? toUtf8(question.answer) : std::string();
}

} // namespace dissim::ui::win32
