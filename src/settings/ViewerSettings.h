#pragma once

#include <QLatin1StringView>
#include <QString>
#include <optional>

#include "platform/Registry.h"
#include "settings/CRegister.h"

namespace lorvane {

// Where the viewer's settings live: machine-wide, every one a REG_SZ text value.
inline constexpr RegRoot SettingsRoot = RegRoot::LocalMachine;
inline constexpr QLatin1StringView SettingsKey{"SOFTWARE\\Harrowdale\\Lorvane Settings\\"};

inline constexpr QLatin1StringView AntiAliasSetting{"AntiAlias"};
inline constexpr QLatin1StringView SlideShowDelaySetting{"Slide Show Delay"};
inline constexpr QLatin1StringView FullScreenSetting{"FullScreen"};

inline constexpr QLatin1StringView AntiAliasDefault{"1"};
inline constexpr QLatin1StringView SlideShowDelayDefault{"2000"};
inline constexpr QLatin1StringView FullScreenDefault{"1"};

// The three settings the viewer reads when it is created; the member defaults are the stored
// defaults converted.
struct ViewerSettings {
    bool antiAlias = true;
    int slideShowDelay = 2000;  // milliseconds
    bool fullScreen = true;
};

// Reads "AntiAlias", "Slide Show Delay" and "FullScreen", in that order. A stored text that
// does not convert gives that setting's default, as if nothing were stored.
ViewerSettings LoadViewerSettings(const CRegister& store);

// Booleans are stored as "-1" (on) and "0" (off), the delay as decimal text. Each returns
// whether the setting was written; a user without write rights gets false.
bool SaveAntiAlias(const CRegister& store, bool on);
bool SaveFullScreen(const CRegister& store, bool on);
bool SaveSlideShowDelay(const CRegister& store, int milliseconds);

// Text to boolean: a number (non-zero is true) or the word "true" or "false" in any case,
// surrounding blanks ignored. Nothing for any other text.
std::optional<bool> ToBoolean(const QString& text);

// Text to a slide-show delay read back as a signed 16-bit number: a decimal number, optionally
// signed, with fraction and exponent, rounded half to even; only 0 to 32767 is a delay.
std::optional<int> ToSlideShowDelay(const QString& text);

}  // namespace lorvane
