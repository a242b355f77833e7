// The string tables: one JSON object per language (key -> text) in resources/strings. Texts are
// looked up in the table of the user's language, then in English; a key with no text anywhere
// yields the key itself. Formats take positional arguments %1, %2, ...; numbers are written in the
// user's locale.
#pragma once

#include <QHash>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <type_traits>

namespace kestrine {

class Localization {
public:
    // The language every other table falls back to.
    static constexpr const char* fallbackLanguage = "en";
    // Where the tables compiled into the application are.
    static constexpr const char* compiledDirectory = ":/strings";

    // No tables: every key yields itself. Numbers follow `locale`.
    explicit Localization(const QLocale& locale = QLocale::system());

    // Reads "en.json" and the table of `locale`'s language (e.g. "ja.json") from `directory`.
    // Missing or malformed files leave their table empty and are listed in problems().
    static Localization fromDirectory(const QString& directory, const QLocale& locale = QLocale::system());
    // Builds the tables from JSON texts: the English table and the table for `language`.
    static Localization fromJSON(const QByteArray& englishJSON, const QString& language,
                                 const QByteArray& languageJSON, const QLocale& locale);

    // The tables compiled into the application, for the system's locale; built on first use.
    static const Localization& shared();
    // Replaces the shared tables (tests, or a change of language).
    static void setShared(const Localization& localization);

    // Lookups in the shared tables.
    static QString tr(const QString& key) { return shared().text(key); }
    template <typename... Args>
    static QString format(const QString& key, const Args&... args) {
        return shared().formatted(key, args...);
    }

    QString text(const QString& key) const;
    bool hasText(const QString& key) const;

    template <typename... Args>
    QString formatted(const QString& key, const Args&... args) const {
        return substitute(text(key), QStringList{argument(args)...});
    }

    // Replaces %1 ... %99 in `pattern` with the arguments, in one pass (an argument that itself
    // contains "%1" is not expanded again). Placeholders without an argument stay as they are.
    static QString substitute(const QString& pattern, const QStringList& arguments);

    const QLocale& locale() const { return locale_; }
    // The language whose table answers first ("ja"), or "en" when only the fallback is used.
    QString language() const { return language_; }
    // Everything that went wrong while loading: unreadable files, malformed JSON, non-text values.
    const QStringList& problems() const { return problems_; }
    // The keys of a loaded table ("en" or the language's).
    QStringList keys(const QString& language) const;

private:
    template <typename T>
    QString argument(const T& value) const {
        if constexpr (std::is_same_v<T, bool>) {
            return value ? QStringLiteral("true") : QStringLiteral("false");
        } else if constexpr (std::is_integral_v<T> && std::is_signed_v<T>) {
            return locale_.toString(qlonglong(value));
        } else if constexpr (std::is_integral_v<T>) {
            return locale_.toString(qulonglong(value));
        } else if constexpr (std::is_floating_point_v<T>) {
            return locale_.toString(double(value), 'g', QLocale::FloatingPointShortest);
        } else {
            return QString(value);
        }
    }

    // Parses one table; on failure records a problem and returns false, leaving `table` empty.
    bool loadTable(const QByteArray& json, const QString& origin, QHash<QString, QString>& table);
    // The language of `locale_` for which `available` has a table, or "en".
    static QString chooseLanguage(const QLocale& locale, const QStringList& available);

    QLocale locale_;
    QString language_ = QString::fromLatin1(fallbackLanguage);
    QHash<QString, QString> english_;
    QHash<QString, QString> localized_;
    QStringList problems_;
};

}  // namespace kestrine
