#include "ui/form_controls.h"

#include <cstdint>
#include <string>
#include <utility>

#include "core/error.h"
#include "win/message_queue.h"
#include "win/text.h"

namespace dravosk::ui {

namespace {

constexpr std::int32_t kOutOfMemory = static_cast<std::int32_t>(E_OUTOFMEMORY);
constexpr std::int32_t kInvalidHandle = static_cast<std::int32_t>(E_HANDLE);

}  // namespace

Int16 ListBoxFeatureList::count() const {
    const LRESULT lines = SendMessageW(listBox_, LB_GETCOUNT, 0, 0);
    // The lines and the kept texts go together; anything else means the list box is gone.
    if (lines < 0 || static_cast<std::size_t>(lines) != texts_.size() || lines > kInt16Max) {
        throw Error(kInvalidHandle, u"Die Liste der Merkmale ist nicht mehr verfügbar.", u"Liste");
    }
    return static_cast<Int16>(lines);
}

WPARAM ListBoxFeatureList::checkedIndex(Int16 index) const {
    if (index < 0 || index >= count()) {
        throw Error(errnum::kBadIndex, u"Listenindex außerhalb der Liste.", u"Liste");
    }
    return static_cast<WPARAM>(index);
}

std::u16string ListBoxFeatureList::text(Int16 index) const {
    return texts_[checkedIndex(index)];
}

bool ListBoxFeatureList::isMarked(Int16 index) const {
    if (heldMarks_) {
        return (*heldMarks_)[checkedIndex(index)];
    }
    const LRESULT selected = SendMessageW(listBox_, LB_GETSEL, checkedIndex(index), 0);
    if (selected == LB_ERR) {
        throw Error(errnum::kBadIndex, u"Die Markierung des Eintrags ist nicht lesbar.", u"Liste");
    }
    return selected > 0;
}

void ListBoxFeatureList::setMarked(Int16 index, bool marked) {
    // A range of one line: unlike LB_SETSEL it leaves the caret where it is, so marking every line
    // neither scrolls the list to each line in turn (which made marking all 32,767 lines take
    // seconds) nor leaves it scrolled to the end. Indexes fit the message's 16-bit halves.
    const auto line = static_cast<WORD>(checkedIndex(index));
    if (SendMessageW(listBox_, LB_SELITEMRANGE, marked ? TRUE : FALSE, MAKELPARAM(line, line)) ==
        LB_ERR) {
        throw Error(errnum::kBadIndex, u"Der Eintrag ließ sich nicht markieren.", u"Liste");
    }
    if (heldMarks_) {
        (*heldMarks_)[line] = marked;
    }
}

void ListBoxFeatureList::clear() {
    SendMessageW(listBox_, LB_RESETCONTENT, 0, 0);
    texts_.clear();
    if (heldMarks_) {
        heldMarks_->clear();
    }
}

void ListBoxFeatureList::holdMarks() {
    const auto unreadable = [] {
        return Error(errnum::kBadIndex, u"Die Markierungen der Liste sind nicht lesbar.", u"Liste");
    };
    const Int16 lines = count();
    const LRESULT selected = SendMessageW(listBox_, LB_GETSELCOUNT, 0, 0);
    if (selected == LB_ERR || selected < 0 || selected > lines) {
        throw unreadable();
    }
    std::vector<int> indexes(static_cast<std::size_t>(selected));
    if (selected > 0 && SendMessageW(listBox_, LB_GETSELITEMS, indexes.size(),
                                     reinterpret_cast<LPARAM>(indexes.data())) != selected) {
        throw unreadable();
    }
    std::vector<bool> marks(static_cast<std::size_t>(lines), false);
    for (const int index : indexes) {
        if (index < 0 || index >= lines) {
            throw unreadable();
        }
        marks[static_cast<std::size_t>(index)] = true;
    }
    heldMarks_ = std::move(marks);
}

void ListBoxFeatureList::releaseMarks() noexcept {
    heldMarks_.reset();
}

void ListBoxFeatureList::doAppend(std::u16string_view text) {
    // Everything that can fail happens before the line is added, so the lines and the kept texts
    // never part; room grows geometrically, as a reserve of one more would move every kept text.
    std::u16string kept(text);
    const std::wstring shown = win::displayText(text);
    if (texts_.size() == texts_.capacity()) {
        texts_.reserve(texts_.empty() ? 64 : texts_.capacity() * 2);
    }
    if (heldMarks_ && heldMarks_->size() == heldMarks_->capacity()) {
        heldMarks_->reserve(heldMarks_->empty() ? 64 : heldMarks_->capacity() * 2);
    }
    const LRESULT added =
        SendMessageW(listBox_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
    if (added == LB_ERR || added == LB_ERRSPACE) {
        throw Error(kOutOfMemory, u"Die Liste konnte keinen weiteren Eintrag aufnehmen.",
                    u"Liste füllen");
    }
    texts_.push_back(std::move(kept));
    if (heldMarks_) {
        heldMarks_->push_back(false);
    }
}

void WindowControlStates::setEnabled(Button which, bool enabled) {
    if (enablingHeld_) {
        heldEnabling_.emplace_back(which, enabled);
        return;
    }
    const HWND button = control(slotOf(which));
    // A disabled control keeps no focus: hand it on first, so that keys still reach the window.
    if (!enabled && GetFocus() == button) {
        const HWND next = GetNextDlgTabItem(owner_, button, FALSE);
        if (next != nullptr && next != button) {
            SetFocus(next);
        }
    }
    EnableWindow(button, enabled ? TRUE : FALSE);
}

int WindowControlStates::checkState(CheckBox box) const {
    if (held_) {
        return (*held_)[static_cast<std::size_t>(box)];
    }
    return SendMessageW(control(slotOf(box)), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void WindowControlStates::holdCheckStates() {
    held_.reset();
    std::array<int, 3> states{};
    for (const CheckBox box : {CheckBox::check1, CheckBox::check2, CheckBox::check3}) {
        states.at(static_cast<std::size_t>(box)) = checkState(box);
    }
    held_ = states;
}

void WindowControlStates::holdEnabling() noexcept {
    enablingHeld_ = true;
    heldEnabling_.clear();
}

void WindowControlStates::releaseEnabling() noexcept {
    enablingHeld_ = false;
    for (const auto& [button, enabled] : heldEnabling_) {
        setEnabled(button, enabled);
    }
    heldEnabling_.clear();
}

void WindowControlStates::showMessage(std::u16string_view text) {
    // Keys typed ahead while the command ran must not confirm a message the user never saw.
    win::discardQueuedInput();
    const std::wstring shown = win::displayText(text);
    const std::wstring title = win::wide(kAppTitle);
    if (MessageBoxW(owner_, shown.c_str(), title.c_str(), MB_OK) == 0) {
        // The user has not seen the message: that must not pass as done.
        const DWORD code = GetLastError();
        throw Error(
            static_cast<std::int32_t>(HRESULT_FROM_WIN32(code != 0 ? code : ERROR_OUTOFMEMORY)),
            u"Die Meldung konnte nicht angezeigt werden.", u"Meldung");
    }
}

}  // namespace dravosk::ui
