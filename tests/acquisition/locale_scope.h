#pragma once
#include <QLocale>

// Makes locale the default for one test and restores the C locale after it.
struct LocaleScope {
    explicit LocaleScope(const QLocale& locale) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(QLocale::c()); }
    LocaleScope(const LocaleScope&) = delete;
    LocaleScope& operator=(const LocaleScope&) = delete;
};

inline QLocale GermanLocale()
{
    return QLocale(QLocale::German, QLocale::Germany);
}
