#include "app/Localization.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <memory>

// The string tables live in the application's compiled-in resources; a static library must
// register them explicitly.
static void registerCompiledResources() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    (void)registered;
}

namespace kestrine {

namespace {

std::unique_ptr<Localization>& sharedSlot() {
    static std::unique_ptr<Localization> slot;
    return slot;
}

}  // namespace

Localization::Localization(const QLocale& locale) : locale_(locale) {}

Localization Localization::fromDirectory(const QString& directory, const QLocale& locale) {
    if (directory.startsWith(QLatin1Char(':'))) registerCompiledResources();
    Localization result(locale);
    const QDir dir(directory);
    if (!dir.exists()) {
        result.problems_ << QStringLiteral("%1: no such folder").arg(directory);
        return result;
    }
    QStringList available;
    for (const QFileInfo& file : dir.entryInfoList({QStringLiteral("*.json")}, QDir::Files, QDir::Name))
        available << file.completeBaseName();

    auto read = [&](const QString& language, QHash<QString, QString>& table) {
        QFile file(dir.filePath(language + QStringLiteral(".json")));
        if (!file.open(QIODevice::ReadOnly)) {
            result.problems_ << QStringLiteral("%1: %2").arg(file.fileName(), file.errorString());
            return false;
        }
        return result.loadTable(file.readAll(), file.fileName(), table);
    };

    const QString english = QString::fromLatin1(fallbackLanguage);
    read(english, result.english_);
    const QString language = chooseLanguage(locale, available);
    if (language != english && read(language, result.localized_)) result.language_ = language;
    return result;
}

Localization Localization::fromJSON(const QByteArray& englishJSON, const QString& language,
                                    const QByteArray& languageJSON, const QLocale& locale) {
    Localization result(locale);
    result.loadTable(englishJSON, QStringLiteral("en"), result.english_);
    const QString english = QString::fromLatin1(fallbackLanguage);
    if (!language.isEmpty() && language != english && result.loadTable(languageJSON, language, result.localized_))
        result.language_ = language;
    return result;
}

const Localization& Localization::shared() {
    auto& slot = sharedSlot();
    if (!slot) {
        slot = std::make_unique<Localization>(fromDirectory(QString::fromLatin1(compiledDirectory)));
    }
    return *slot;
}

void Localization::setShared(const Localization& localization) {
    sharedSlot() = std::make_unique<Localization>(localization);
}

QString Localization::text(const QString& key) const {
    if (auto it = localized_.constFind(key); it != localized_.constEnd()) return *it;
    if (auto it = english_.constFind(key); it != english_.constEnd()) return *it;
    return key;
}

bool Localization::hasText(const QString& key) const {
    return localized_.contains(key) || english_.contains(key);
}

QString Localization::substitute(const QString& pattern, const QStringList& arguments) {
    QString result;
    result.reserve(pattern.size());
    const qsizetype n = pattern.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = pattern[i];
        if (c == QLatin1Char('%') && i + 1 < n && pattern[i + 1].isDigit() && pattern[i + 1] != QLatin1Char('0')) {
            qsizetype j = i + 1;
            int number = 0;
            while (j < n && j < i + 3 && pattern[j].isDigit()) number = number * 10 + pattern[j++].digitValue();
            if (number >= 1 && number <= arguments.size()) {
                result += arguments[number - 1];
                i = j - 1;
                continue;
            }
        }
        result += c;
    }
    return result;
}

QStringList Localization::keys(const QString& language) const {
    if (language == QLatin1String(fallbackLanguage)) return english_.keys();
    return language == language_ ? localized_.keys() : QStringList();
}

bool Localization::loadTable(const QByteArray& json, const QString& origin, QHash<QString, QString>& table) {
    table.clear();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        problems_ << QStringLiteral("%1: malformed JSON at offset %2: %3").arg(origin).arg(error.offset).arg(error.errorString());
        return false;
    }
    if (!document.isObject()) {
        problems_ << QStringLiteral("%1: the table is not a JSON object").arg(origin);
        return false;
    }
    const QJsonObject object = document.object();
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        if (!it.value().isString()) {
            problems_ << QStringLiteral("%1: the value of \"%2\" is not text").arg(origin, it.key());
            continue;
        }
        table.insert(it.key(), it.value().toString());
    }
    return true;
}

QString Localization::chooseLanguage(const QLocale& locale, const QStringList& available) {
    QStringList candidates = locale.uiLanguages();
    candidates << QLocale::languageToCode(locale.language());
    for (QString candidate : candidates) {
        candidate.replace(QLatin1Char('_'), QLatin1Char('-'));
        const QString full = candidate.toLower();
        if (available.contains(full, Qt::CaseInsensitive)) return full;
        const QString base = full.section(QLatin1Char('-'), 0, 0);
        if (available.contains(base)) return base;
    }
    return QString::fromLatin1(fallbackLanguage);
}

}  // namespace kestrine
