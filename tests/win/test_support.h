// Helpers shared by the tests that run real windows under Wine or Windows.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "win/back_buffer.h"
#include "win/dialog_template.h"
#include "win/message_pump.h"

namespace testing_support {

// A back-buffer pixel as a COLORREF (0x00BBGGRR), the alpha byte dropped.
COLORREF PixelColor(const win::BackBuffer& buffer, int x, int y);

// How many pixels of the image's middle column are `color`: the thickness of a
// horizontal line through it.
int MiddleColumnCount(const win::BackBuffer& buffer, COLORREF color);

// A plain visible top-level window with a title, standing in for other windows.
class PlainWindow {
public:
    PlainWindow(const wchar_t* title, RECT rect, bool visible = true);
    PlainWindow(const PlainWindow&) = delete;
    PlainWindow& operator=(const PlainWindow&) = delete;
    ~PlainWindow();
    HWND hwnd() const { return hwnd_; }

private:
    HWND hwnd_ = nullptr;
};

using win::PumpFor;
using win::PumpMessages;

// Delivers this thread's messages until `done()` holds or `timeoutMs` ran out;
// whether it came.
template <class Done>
bool PumpWhileNot(Done done, int timeoutMs) {
    const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    for (;;) {
        PumpMessages();
        if (done()) return true;
        if (::GetTickCount64() >= end) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// The way to wait for a state (a focus, a tick, a repaint): as PumpWhileNot,
// but running out of time fails the test, naming what was awaited.
template <class Done>
bool PumpUntil(Done done, const char* what, int timeoutMs = 5000) {
    if (PumpWhileNot(done, timeoutMs)) return true;
    ADD_FAILURE() << "timed out after " << timeoutMs << " ms waiting for " << what;
    return false;
}

// The way to show that an event does not come where it would be queued
// already (after a key sent, a message posted): delivers this thread's
// messages until a timer set now fires, which it does only once no input or
// posted message is left before it.
void PumpQueued();

// A fresh folder under the temp directory, removed with its files at scope exit.
class TempFolder {
public:
    TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();
    const std::wstring& path() const { return path_; }
    std::wstring File(const wchar_t* name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

std::string ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);

// Whether this process's user interface is Japanese. The texts then come from
// the Japanese resources, and from the English (United States) ones on any
// other interface language: the Windows runner's, or LANG=C.UTF-8 under Wine.
bool JapaneseInterface();

// The expected text in the language the resources should have been taken in.
template <class Text>
Text InLanguage(Text japanese, Text english) {
    return JapaneseInterface() ? japanese : english;
}

// That language's id, as the resource script writes it.
LANGID ExpectedResourceLanguage();

// Template `templateId` as the resource stores it in the expected language
// (or language-neutral, for templates without text); empty when it cannot be read.
win::DialogTemplate StoredTemplate(UINT templateId);

// The pixel size of `dialog`'s client area, made from template `templateId`,
// at `dpi`, computed apart from the dialog manager: the template's dialog
// units through the base units of the dialog's font (the framework's size
// where it applies): the average width of the 52 letters and the font's height.
SIZE TemplateSizeAtDpi(HWND dialog, UINT templateId, int dpi);

// Every descendant of `dialog` lies inside its client area, and every link
// control's text fits its box on one line (its ideal size).
void ExpectLaidOutInside(HWND dialog, const char* name);

// The controls `ids` lie inside the group box captioned `box`, apart from one
// another, each wide enough for its text (its ideal size).
void ExpectInsideGroupBox(HWND dialog, const wchar_t* box, std::initializer_list<int> ids);

// Records every message box this thread shows and closes it with OK at once.
class MessageBoxRecorder {
public:
    struct Box {
        std::wstring caption;
        std::wstring text;
        LONG_PTR style;
    };
    MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;
    ~MessageBoxRecorder();
    const std::vector<Box>& boxes() const { return boxes_; }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    HHOOK hook_ = nullptr;
    std::vector<Box> boxes_;
};

// Stands in for RegisterHotKey: records the id and modifiers asked for, then registers.
struct RecordedRegistration {
    static inline std::vector<std::pair<int, UINT>> calls;
    static BOOL WINAPI Register(HWND window, int id, UINT modifiers, UINT key) {
        calls.emplace_back(id, modifiers);
        return ::RegisterHotKey(window, id, modifiers, key);
    }
};

// The number of live GDI objects of this process (GetGuiResources is a stub under Wine).
int CountGdiObjects();

}  // namespace testing_support
