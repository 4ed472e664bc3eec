// Tooltips of the ticker window: the last update time over the strip, and the names of the
// logo, the two small buttons and "Next Topic".
#include "display/tooltips_win.h"

#include <commctrl.h>

#include <cstddef>

#include "base/button_panel.h"
#include "base/program_win.h"
#include "feed/content_model.h"

HWND TooltipWindows[kTooltipCount];

// The era's tool record: 40 bytes in the 32-bit build.
static_assert(sizeof(void*) != 4 || offsetof(TTTOOLINFOA, lpszText) + sizeof(char*) == 40,
              "tool record of the era");

namespace {

TOOLINFOA ToolRecord(HWND window, UINT id, const RECT& rect, const char* text) {
    TOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;
    tool.uFlags = 0;
    tool.hwnd = window;
    tool.uId = id;
    tool.rect = rect;
    tool.hinst = ProgramInstance;
    tool.lpszText = const_cast<char*>(text);
    return tool;
}

}  // namespace

void BuildTooltips(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    const LONG w = client.right, h = client.bottom;
    const LONG small = w - kSmallButtonFace, smallRight = w - kStripFrameRight;
    const struct {
        RECT rect;
        const char* text;
    } tools[kTooltipCount] = {
        {{10, 0, small, h}, LastUpdatedText},
        {{w - kLogoFrame, 0, w, h}, "Go to Tamzo!"},
        {{small, h / 2, smallRight, h}, "Expand/Collapse Ticker"},
        {{small, 0, smallRight, h / 2}, "Open Tamzo! Search Window"},
        {{0, 0, 9, h}, "Next Topic"},
    };

    for (int i = 0; i < kTooltipCount; ++i) {
        if (TooltipWindows[i]) DestroyWindow(TooltipWindows[i]);
        TooltipWindows[i] = CreateWindowExA(0, TOOLTIPS_CLASSA, "", TTS_ALWAYSTIP, CW_USEDEFAULT,
                                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window,
                                            nullptr, ProgramInstance, nullptr);
        if (!TooltipWindows[i]) {
            MessageBoxA(nullptr, "CreateWindow", "failed", MB_OK);
            continue;
        }
        TOOLINFOA tool = ToolRecord(window, i + 1, tools[i].rect, tools[i].text);
        SendMessageA(TooltipWindows[i], TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
        if (!SendMessageA(TooltipWindows[i], TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)))
            MessageBoxA(nullptr, "TTM_ADDTOOL", "failed", MB_OK);
    }
}

void RelayToTooltips(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG msg = {};
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    for (HWND tip : TooltipWindows)
        if (tip) SendMessageA(tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

void UpdateLastUpdatedTip(HWND window) {
    if (!TooltipWindows[0]) return;
    RECT none = {};
    TOOLINFOA tool = ToolRecord(window, 1, none, LastUpdatedText);
    SendMessageA(TooltipWindows[0], TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
}
