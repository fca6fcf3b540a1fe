// Moving values between a dialog's controls and its members, in either direction.
#pragma once

#include <windows.h>

#include <string>

namespace win {

class DataExchange {
public:
    DataExchange(HWND dialog, bool save) noexcept : dialog_(dialog), save_(save) {}

    bool saving() const noexcept { return save_; }

    // A check box: 1 checked, 0 not.
    void Check(int id, BOOL& value) const noexcept;
    // A radio group starting at `firstId` (which carries WS_GROUP) and running in template
    // order up to the next WS_GROUP control; non-radio controls in between are skipped.
    // The value is the index of the checked button, -1 when none is checked; an index
    // outside the group leaves every button unchecked.
    void Radio(int firstId, int& value) const noexcept;
    // A trackbar position (TBM_GETPOS / TBM_SETPOS).
    void Slider(int id, int& value) const noexcept;
    void Text(int id, std::wstring& value) const;

private:
    HWND dialog_;
    bool save_;
};

}  // namespace win
