// "Vlastnosti": the controls of PropertySheetForm (ui/property_sheet_form.h). The frame holds
// the tabs and the three buttons; each page is a child dialog placed at 14, 53 pixels inside
// the frame, exactly one visible, its controls made from the family's table.
#include <windows.h>
#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "ui/property_sheet_form.h"
#include "ui/win32/dialog_host.h"
#include "ui/win32/dialogs.h"
#include "ui/win32/dialogs/property_sheet_ids.h"
#include "ui/win32/resource.h"
#include "ui/win32/win32_text.h"

namespace lumo::win32 {
namespace {

// The windows of one control; which are set depends on its kind.
struct ControlWindows {
    HWND check = nullptr, list = nullptr, field = nullptr;
    std::vector<HWND> radios;
};

// Places on a page, in dialog units: a row per control (two lone check boxes share one), the
// left half's caption and field, and the right half for what goes beside.
constexpr int kPageWidth = 245, kMargin = 6, kRow = 15, kField = 40, kBesideCaption = 50;

class SheetWindow {
public:
    explicit SheetWindow(PropertySheetForm& form) : form_(form) {}
    ~SheetWindow() {
        if (large_ != nullptr) DeleteObject(large_);
    }

    int run(HWND owner) {
        frame_.onInit = [this] { build(); };
        frame_.onClick(IDC_SHEET_REFRESH, [this] { finish(form_.pressRefresh()); });
        frame_.onClick(IDC_SHEET_APPLY, [this] { finish(form_.pressApply()); });
        frame_.onClick(IDC_SHEET_CLOSE, [this] { finish(form_.pressClose()); });
        frame_.onClose = [this] {
            const int result = form_.pressClose();
            showForm();
            return result;
        };
        frame_.onMessage = [this](UINT message, WPARAM, LPARAM second, INT_PTR&) {
            if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(second)->code == TCN_SELCHANGE) {
                selectPage(static_cast<int>(TabCtrl_GetCurSel(frame_.item(IDC_SHEET_TABS))));
                return true;
            }
            return false;
        };
        form_.showNow = [this] {
            showForm();
            UpdateWindow(frame_.window());
        };
        form_.askName = [this](FormField& name) { return askName(name); };
        return frame_.run(owner, IDD_SHEET_FRAME);
    }

private:
    void finish(int result) {
        showForm();
        frame_.finish(result);
    }

    void build() {
        setWindowText(frame_.window(), form_.title);
        HWND tabs = frame_.item(IDC_SHEET_TABS);
        windows_.resize(form_.pages.size());
        for (std::size_t p = 0; p < form_.pages.size(); ++p) {
            std::wstring title = wide(form_.pages[p].title);
            TCITEMW tab{};
            tab.mask = TCIF_TEXT;
            tab.pszText = title.data();
            TabCtrl_InsertItem(tabs, static_cast<int>(p), &tab);
            HWND page = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SHEET_PAGE), frame_.window(),
                                           pageProcedure, reinterpret_cast<LPARAM>(this));
            // Right after the tabs in the frame's order, so that Tab goes from the tabs into the page
            // shown; the tab control clips its siblings and leaves the page drawn.
            SetWindowPos(page, pages_.empty() ? tabs : pages_.back(), 14, 53, 0, 0, SWP_NOSIZE);
            EnableThemeDialogTexture(page, ETDT_ENABLETAB);  // the page takes the tab's own background
            pages_.push_back(page);
            buildPage(p, page);
        }
        selectPage(0);
        showForm();
    }

    void selectPage(int index) {
        if (index < 0 || index >= static_cast<int>(pages_.size())) return;
        for (std::size_t p = 0; p < pages_.size(); ++p) ShowWindow(pages_[p], static_cast<int>(p) == index ? SW_SHOW : SW_HIDE);
        current_ = index;
        TabCtrl_SetCurSel(frame_.item(IDC_SHEET_TABS), index);
    }

    HWND make(HWND page, const wchar_t* windowClass, const std::string& text, DWORD style, int x, int y, int w, int h,
              std::function<void(int code)> handler = {}, DWORD exStyle = 0) {
        RECT r{x, y, x + w, y + h};
        MapDialogRect(page, &r);
        const int id = nextId_++;
        HWND control = CreateWindowExW(exStyle, windowClass, wide(text).c_str(), WS_CHILD | WS_VISIBLE | style, r.left, r.top,
                                       r.right - r.left, r.bottom - r.top, page, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                       GetModuleHandleW(nullptr), nullptr);
        SendMessageW(control, WM_SETFONT, SendMessageW(frame_.window(), WM_GETFONT, 0, 0), FALSE);
        if (handler) handlers_[id] = std::move(handler);
        return control;
    }
    HWND caption(HWND page, const std::string& text, int x, int y, int w) {
        return make(page, L"STATIC", text, SS_LEFTNOWORDWRAP, x, y + 2, w, 10);
    }

    // How wide a caption is on the page, in dialog units.
    int textWidth(HWND page, const std::string& text) {
        HDC dc = GetDC(page);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(frame_.window(), WM_GETFONT, 0, 0)));
        const std::wstring w = wide(text);
        SIZE size{};
        GetTextExtentPoint32W(dc, w.c_str(), static_cast<int>(w.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(page, dc);
        RECT hundred{0, 0, 100, 0};
        MapDialogRect(page, &hundred);
        return hundred.right > 0 ? size.cx * 100 / hundred.right + 4 : 60;
    }

    void buildPage(std::size_t p, HWND page) {
        SheetFormPage& formPage = form_.pages[p];
        int y = kMargin;
        if (p == 0) buildGeneral(page, y);
        bool loneCheck = false;  // the current row holds one check box, in its left half
        std::string group;       // the caption of the frame the rows sit in
        int groupTop = 0;
        int left = kMargin, width = kPageWidth - 2 * kMargin;
        auto closeGroup = [&] {
            if (group.empty()) return;
            make(page, L"BUTTON", group, BS_GROUPBOX, kMargin, groupTop, kPageWidth - 2 * kMargin, y - groupTop + 4);
            y += 8;
            left = kMargin;
            width = kPageWidth - 2 * kMargin;
        };
        int row = y - kRow;  // the top of the current row
        int rowRight = 0;    // where the row's first field ends
        // The captions of the left column are as wide as the page's widest.
        int kCaption = 30;
        for (const SheetFormControl& control : formPage.controls) {
            const SheetControl& c = *control.row;
            if (!c.sameRow && c.kind != ControlKind::Check && c.kind != ControlKind::Radio && c.kind != ControlKind::Label)
                kCaption = std::max(kCaption, textWidth(page, c.label));
        }
        kCaption = std::min(kCaption, 120);
        for (std::size_t i = 0; i < formPage.controls.size(); ++i) {
            SheetFormControl& control = formPage.controls[i];
            const SheetControl& c = *control.row;
            if (c.group != group) {
                if (row + kRow > y) y = row + kRow;
                closeGroup();
                group = c.group;
                if (!group.empty()) {
                    groupTop = y;
                    y += 11;
                    left = kMargin + 6;
                    width = kPageWidth - 2 * kMargin - 12;
                }
                row = y - kRow;
                loneCheck = false;
            }
            const bool beside = c.sameRow && i > 0;
            // A check box with a control beside it keeps its row to itself.
            const bool partnered = i + 1 < formPage.controls.size() && formPage.controls[i + 1].row->sameRow;
            // A check box whose caption fills more than half the row has the row to itself.
            const bool wideCheck = c.kind == ControlKind::Check && textWidth(page, c.label) + 12 > width / 2 - 2;
            const bool secondCheck = c.kind == ControlKind::Check && loneCheck && !partnered && !wideCheck;
            if (!beside && !secondCheck) row += kRow;
            if (row + kRow > y) y = row + kRow;
            loneCheck = false;
            // What goes beside starts in the right half, or after the row's own field.
            const int half = beside ? std::max(left + width / 2, rowRight + 4) : left + width / 2;
            ControlWindows w;
            switch (c.kind) {
                case ControlKind::Check:
                    w.check = make(page, L"BUTTON", c.label, BS_AUTOCHECKBOX | WS_TABSTOP, secondCheck ? half : left, row,
                                   secondCheck ? left + width - half : wideCheck ? width : half - 2 - left, 12, [this, &control, p, i](int code) {
                                       if (code == BN_CLICKED)
                                           control.choice.chosen =
                                               SendMessageW(windows_[p][i].check, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
                                   });
                    loneCheck = !secondCheck && !wideCheck;
                    break;
                case ControlKind::List: {
                    // A list with something beside it keeps its own caption's width: the page's
                    // widest would push the list out of its half.
                    const int captionWidth = partnered ? std::min(kCaption, textWidth(page, c.label)) : kCaption;
                    caption(page, c.label, left, row, captionWidth);
                    const int listLeft = left + captionWidth + 2;
                    w.list = make(page, WC_COMBOBOXW, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, listLeft, row,
                                  (partnered ? std::max(half - 2, listLeft + 50) : left + width) - listLeft, 120,
                                  [this, &control, p, i](int code) {
                                      if (code == CBN_SELCHANGE)
                                          control.choice.chosen =
                                              static_cast<int>(SendMessageW(windows_[p][i].list, CB_GETCURSEL, 0, 0));
                                  });
                    rowRight = partnered ? std::max(half - 2, listLeft + 50) : left + width;
                    break;
                }
                case ControlKind::Radio: {
                    make(page, L"BUTTON", c.label, BS_GROUPBOX, left, row, width, 24);
                    const int count = static_cast<int>(control.choice.items.size());
                    for (int b = 0; b < count; ++b) {
                        w.radios.push_back(make(page, L"BUTTON", control.choice.items[static_cast<std::size_t>(b)],
                                                BS_AUTORADIOBUTTON | (b == 0 ? WS_GROUP | WS_TABSTOP : 0),
                                                left + 6 + b * (width - 12) / count, row + 10, (width - 12) / count - 2, 11,
                                                [&control, b](int code) {
                                                    if (code == BN_CLICKED) control.choice.chosen = b;
                                                }));
                    }
                    row += 11;
                    y = std::max(y, row + kRow);
                    break;
                }
                case ControlKind::Number:
                case ControlKind::Time:
                case ControlKind::Text: {
                    const bool captionFirst = !c.label.empty() && c.label.back() == ':';
                    auto takeText = [this, &control, p, i](int code) {
                        if (code == EN_CHANGE) control.field.text = windowText(windows_[p][i].field);
                    };
                    const DWORD style = ES_AUTOHSCROLL | WS_TABSTOP | WS_BORDER;
                    if (!beside && c.kind == ControlKind::Text) {
                        caption(page, c.label, left, row, kCaption);
                        w.field = make(page, L"EDIT", "", style, left + kCaption + 2, row, width - kCaption - 2, 12, takeText);
                        limitTypingIn(w.field, takes(control));
                    } else if (!beside) {
                        caption(page, c.label, left, row, kCaption);
                        w.field = make(page, L"EDIT", "", style, left + kCaption + 2, row, kField, 12, takeText);
                        rowRight = left + kCaption + 2 + kField;
                    } else if (captionFirst) {
                        caption(page, c.label, half, row, kBesideCaption);
                        const int fieldLeft = half + kBesideCaption + 2;
                        w.field = make(page, L"EDIT", "", style, fieldLeft, row, std::min(kField, left + width - fieldLeft), 12,
                                       takeText);
                    } else {
                        w.field = make(page, L"EDIT", "", style, half, row, 30, 12, takeText);
                        caption(page, c.label, half + 32, row, left + width - half - 32);
                    }
                    break;
                }
                case ControlKind::Label:
                    make(page, L"STATIC", c.label, SS_LEFT, left, row, width, 20);
                    row += 8;
                    y = std::max(y, row + kRow);
                    break;
            }
            windows_[p].push_back(w);
        }
        if (row + kRow > y) y = row + kRow;
        closeGroup();
    }

    const std::function<bool(const std::string&)>* takes(const SheetFormControl& control) {
        typing_.push_back(std::make_unique<std::function<bool(const std::string&)>>(
            [&control](const std::string& text) { return PropertySheetForm::takes(control, text); }));
        return typing_.back().get();
    }

    void buildGeneral(HWND page, int& y) {
        picture_ = make(page, L"STATIC", "", SS_OWNERDRAW, kMargin, y, 48, 60);
        typeName_ = make(page, L"STATIC", "", SS_LEFT, 62, y + 4, 177, 20);
        moduleName_ = make(page, L"STATIC", "", SS_LEFT, 62, y + 26, 177, 20);
        large_ = CreateFontW(-27, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Arial");
        SendMessageW(typeName_, WM_SETFONT, reinterpret_cast<WPARAM>(large_), FALSE);
        SendMessageW(moduleName_, WM_SETFONT, reinterpret_cast<WPARAM>(large_), FALSE);
        y += 64;
        static const char* const captions[] = {"Vyrobní číslo:", "Datum výroby:", "Verze SW:", "ID médium:"};
        for (int i = 0; i < 4; ++i) {
            caption(page, captions[i], kMargin, y, 70);
            facts_[i] = make(page, L"EDIT", "", ES_AUTOHSCROLL | ES_READONLY | WS_BORDER, 80, y, 100, 12);
            y += 14;
        }
        rename_ = make(page, L"BUTTON", "", BS_PUSHBUTTON | WS_TABSTOP, 185, y - 14, 54, 14,
                       [this](int code) {
                           if (code == BN_CLICKED) finish(form_.pressRename());
                       });
        y += 2;
    }

    bool askName(FormField& name) {
        DialogHost box;
        box.onInit = [&] {
            box.showField(IDC_RENAME_NAME, name);
            RECT r{};
            GetWindowRect(frame_.window(), &r);
            SetWindowPos(box.window(), nullptr, r.left + 40, r.top + 70, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        };
        box.onClick(IDOK, [&] {
            name.text = box.text(IDC_RENAME_NAME);
            box.end(1);
        });
        box.onClick(IDCANCEL, [&] { box.end(0); });
        return box.run(frame_.window(), IDD_RENAME) == 1;
    }

    void drawPicture(const DRAWITEMSTRUCT& item) {
        HDC dc = item.hDC;
        const RECT r = item.rcItem;
        FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
        const bool terminal = form_.picture == "tq300" || form_.picture == "mn600";
        auto fill = [dc](COLORREF colour, int l, int t, int rr, int b, bool round) {
            HBRUSH brush = CreateSolidBrush(colour);
            HGDIOBJ old = SelectObject(dc, brush);
            if (round) RoundRect(dc, l, t, rr, b, 10, 10);
            else Rectangle(dc, l, t, rr, b);
            SelectObject(dc, old);
            DeleteObject(brush);
        };
        const int w = r.right - r.left, h = r.bottom - r.top;
        fill(form_.picture == "mn600" ? RGB(70, 80, 95) : terminal ? RGB(210, 214, 220) : RGB(235, 235, 225), 4, 2, w - 4,
             h - 2, true);
        if (terminal) {
            fill(RGB(120, 170, 120), 12, 8, w - 12, 24, false);
            for (int row = 0; row < 4; ++row)
                for (int col = 0; col < 3; ++col)
                    fill(RGB(250, 250, 250), 14 + col * (w - 28) / 3, 32 + row * 13, 12 + (col + 1) * (w - 28) / 3, 41 + row * 13,
                         false);
        } else if (form_.picture == "loq3") {
            HBRUSH brush = CreateSolidBrush(RGB(60, 90, 160));
            HGDIOBJ old = SelectObject(dc, brush);
            Ellipse(dc, w / 2 - 18, 14, w / 2 + 18, 50);
            SelectObject(dc, old);
            DeleteObject(brush);
        } else {
            const int relays = form_.picture == "zb40" ? 4 : 2;
            for (int k = 0; k < relays; ++k) fill(RGB(40, 120, 60), 12, 10 + k * 18, w - 12, 22 + k * 18, false);
        }
    }

    void showForm() {
        InvalidateRect(picture_, nullptr, TRUE);
        showTextIn(typeName_, form_.typeName);
        showTextIn(moduleName_, form_.moduleName);
        const FormField* facts[] = {&form_.serialNumber, &form_.productionDate, &form_.version, &form_.idMedium};
        for (int i = 0; i < 4; ++i) showFieldIn(facts_[i], *facts[i]);
        for (std::size_t p = 0; p < form_.pages.size() && p < windows_.size(); ++p) {
            for (std::size_t i = 0; i < form_.pages[p].controls.size() && i < windows_[p].size(); ++i) {
                const SheetFormControl& c = form_.pages[p].controls[i];
                const ControlWindows& w = windows_[p][i];
                if (w.check != nullptr) {
                    SendMessageW(w.check, BM_SETCHECK, c.choice.chosen == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
                    enableControl(w.check, c.choice.enabled);
                } else if (w.list != nullptr) {
                    showChoiceIn(w.list, c.choice);
                } else if (!w.radios.empty()) {
                    // No button checked is a state of its own.
                    for (std::size_t b = 0; b < w.radios.size(); ++b) {
                        SendMessageW(w.radios[b], BM_SETCHECK,
                                     static_cast<int>(b) == c.choice.chosen ? BST_CHECKED : BST_UNCHECKED, 0);
                        enableControl(w.radios[b], c.choice.enabled);
                    }
                } else if (w.field != nullptr) {
                    showFieldIn(w.field, c.field);
                }
            }
        }
        frame_.showButton(IDC_SHEET_REFRESH, form_.refresh);
        frame_.showButton(IDC_SHEET_APPLY, form_.apply);
        frame_.showButton(IDC_SHEET_CLOSE, form_.close);
        showTextIn(rename_, form_.rename.text);
        enableControl(rename_, form_.rename.enabled);
        frame_.enable(IDC_SHEET_TABS, form_.pagesEnabled);
        // A page that goes off with the focus in it hands the focus to the frame's buttons.
        HWND focus = GetFocus();
        for (HWND page : pages_) {
            if (!form_.pagesEnabled && focus != nullptr && IsChild(page, focus))
                SendMessageW(frame_.window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(frame_.item(IDC_SHEET_CLOSE)), TRUE);
            EnableWindow(page, form_.pagesEnabled ? TRUE : FALSE);
        }
    }

    static INT_PTR CALLBACK pageProcedure(HWND page, UINT message, WPARAM first, LPARAM second) {
        if (message == WM_INITDIALOG) {
            SetWindowLongPtrW(page, DWLP_USER, second);
            return FALSE;
        }
        auto* sheet = reinterpret_cast<SheetWindow*>(GetWindowLongPtrW(page, DWLP_USER));
        if (sheet == nullptr) return FALSE;
        if (message == WM_COMMAND) {
            const auto found = sheet->handlers_.find(LOWORD(first));
            if (found != sheet->handlers_.end()) {
                const auto handler = found->second;  // the press may close the sheet
                handler(HIWORD(first));
            }
            return TRUE;
        }
        if (message == WM_DRAWITEM && reinterpret_cast<const DRAWITEMSTRUCT*>(second)->hwndItem == sheet->picture_) {
            sheet->drawPicture(*reinterpret_cast<const DRAWITEMSTRUCT*>(second));
            return TRUE;
        }
        return FALSE;
    }

    PropertySheetForm& form_;
    DialogHost frame_;
    std::vector<HWND> pages_;
    int current_ = 0;
    std::vector<std::vector<ControlWindows>> windows_;
    std::map<int, std::function<void(int code)>> handlers_;
    std::vector<std::unique_ptr<std::function<bool(const std::string&)>>> typing_;
    int nextId_ = IDC_SHEET_FIRST_CONTROL;
    HWND picture_ = nullptr, typeName_ = nullptr, moduleName_ = nullptr, rename_ = nullptr;
    HWND facts_[4] = {};
    HFONT large_ = nullptr;
};

}  // namespace

int runPropertySheet(HWND owner, int lineIndex, int moduleNumber) {
    PropertySheetForm form;
    if (!form.open(lineIndex, moduleNumber)) return 0;
    SheetWindow sheet(form);
    return sheet.run(owner);
}

}  // namespace lumo::win32
