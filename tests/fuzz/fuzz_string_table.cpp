// A string table: malformed tables never crash the lookup, and formats always answer.
#include <QByteArray>
#include <QLocale>

#include "app/Localization.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QByteArray json(reinterpret_cast<const char*>(data), static_cast<int>(size));
    auto tables = kestrine::Localization::fromJSON(json, "ja", json, QLocale(QLocale::Japanese));
    (void)tables.text("error.start");
    (void)tables.formatted("editor.selected", 3);
    (void)tables.formatted("mini.hint", QString("%1%2"));
    for (const auto& key : tables.keys("en")) (void)tables.formatted(key, QString("x"), 2);
    return 0;
}
