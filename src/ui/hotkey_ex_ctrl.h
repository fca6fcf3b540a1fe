// The hotkey entry field: the common hotkey control with its keyboard handling
// replaced by a low-level keyboard hook (so any combination, the Windows keys
// included, can be entered) and its painting replaced by our own text.
#pragma once

#include <windows.h>

#include <string>

#include "ui/hotkey_entry.h"

class CHotKeyExCtrl {
public:
    CHotKeyExCtrl() = default;
    CHotKeyExCtrl(const CHotKeyExCtrl&) = delete;
    CHotKeyExCtrl& operator=(const CHotKeyExCtrl&) = delete;
    ~CHotKeyExCtrl();

    // Takes over the dialog's control window (once; later calls do nothing).
    void Attach(HWND control);
    HWND hwnd() const noexcept { return hwnd_; }

    // Repaints at once, after the owner changed the record.
    void Redraw() const noexcept;
    std::wstring GetHotKeyText() const;

    // The hook exists only while a field has the keyboard focus.
    static bool HookInstalled() noexcept;

    hotkey::HotKeyEntry entry;

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    void OnSetFocus();
    void OnKillFocus();
    void OnPaint();
    void Detach() noexcept;

    HWND hwnd_ = nullptr;
};

// The key's name in the current keyboard layout.
std::wstring GetKeyNameString(UINT virtualKey, bool extended);
