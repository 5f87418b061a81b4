#include "settings/ViewerSettings.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace lorvane {

namespace {

// A decimal number as the platform's numeric test accepts it: optional sign, digits with an
// optional fraction, optional exponent. Locale-independent, since the settings are written that
// way whatever the user's locale.
std::optional<double> toNumber(const QString& text) {
    static const QRegularExpression number(
        QStringLiteral("^[+-]?(\\d+(\\.\\d*)?|\\.\\d+)([eE][+-]?\\d+)?$"));
    const QString trimmed = text.trimmed();
    if (!number.match(trimmed).hasMatch()) {
        return std::nullopt;
    }
    bool ok = false;
    const double value = QLocale::c().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

double roundHalfToEven(double value) {
    const double floor = std::floor(value);
    const double fraction = value - floor;
    if (fraction > 0.5) {
        return floor + 1;
    }
    if (fraction < 0.5) {
        return floor;
    }
    return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

QString boolText(bool on) {
    return on ? QStringLiteral("-1") : QStringLiteral("0");
}

QString readSetting(const CRegister& store, QLatin1StringView name, QLatin1StringView fallback) {
    return store.REGGetSetting(SettingsRoot, SettingsKey, name, fallback);
}

}  // namespace

std::optional<bool> ToBoolean(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0) {
        return true;
    }
    if (trimmed.compare(QStringLiteral("false"), Qt::CaseInsensitive) == 0) {
        return false;
    }
    if (const auto number = toNumber(trimmed)) {
        return *number != 0;
    }
    return std::nullopt;
}

std::optional<int> ToSlideShowDelay(const QString& text) {
    const auto number = toNumber(text);
    if (!number) {
        return std::nullopt;
    }
    const double rounded = roundHalfToEven(*number);
    if (rounded < 0 || rounded > 32767) {
        return std::nullopt;
    }
    return int(rounded);
}

ViewerSettings LoadViewerSettings(const CRegister& store) {
    ViewerSettings settings;
    settings.antiAlias = ToBoolean(readSetting(store, AntiAliasSetting, AntiAliasDefault))
                             .value_or(settings.antiAlias);
    settings.slideShowDelay =
        ToSlideShowDelay(readSetting(store, SlideShowDelaySetting, SlideShowDelayDefault))
            .value_or(settings.slideShowDelay);
    settings.fullScreen = ToBoolean(readSetting(store, FullScreenSetting, FullScreenDefault))
                              .value_or(settings.fullScreen);
    return settings;
}

bool SaveAntiAlias(const CRegister& store, bool on) {
    return store.REGSaveSetting(SettingsRoot, SettingsKey, AntiAliasSetting, boolText(on));
}

bool SaveFullScreen(const CRegister& store, bool on) {
    return store.REGSaveSetting(SettingsRoot, SettingsKey, FullScreenSetting, boolText(on));
}

bool SaveSlideShowDelay(const CRegister& store, int milliseconds) {
    return store.REGSaveSetting(SettingsRoot, SettingsKey, SlideShowDelaySetting,
                                QString::number(milliseconds));
}

}  // namespace lorvane
