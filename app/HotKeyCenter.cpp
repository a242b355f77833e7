#include "app/HotKeyCenter.h"

#include <QPointer>

#include <syslog.h>

#include "app/Localization.h"
#include "app/ShortcutText.h"

namespace kestrine {

HotKeyCenter::HotKeyCenter(std::unique_ptr<HotKeyStorage> storage, HotKeyFactory factory, Logger log,
                           QObject* parent)
    : QObject(parent), storage_(std::move(storage)), factory_(std::move(factory)), log_(std::move(log)) {
    if (!factory_) {
        factory_ = &HotKey::make;
        availability_ = HotKey::availability();
    }
    if (!log_) log_ = [](const std::string& line) { ::syslog(LOG_ERR, "%s", line.c_str()); };
    spec_ = storage_->load();
}

HotKeyCenter::~HotKeyCenter() = default;

QString HotKeyCenter::displayText(const HotKeySpec& spec) {
    return QString::fromStdString(ShortcutText::text(spec));
}

void HotKeyCenter::setAvailability(HotKey::Availability availability) {
    availability_ = availability;
    if (!isAvailable()) {
        hotKey_.reset();
        errorMessage_.reset();
    }
    emit changed();
}

void HotKeyCenter::setErrorMessage(std::optional<QString> message) {
    errorMessage_ = std::move(message);
    emit changed();
}

std::unique_ptr<HotKey> HotKeyCenter::makeHotKey(const HotKeySpec& spec) {
    if (!isAvailable()) return nullptr;
    QPointer<HotKeyCenter> self(this);
    return factory_(spec.keyCode, spec.modifiers.rawValue, [self] {
        if (!self) return;
        QMetaObject::invokeMethod(
            self.data(),
            [self] {
                if (self && self->onTrigger) self->onTrigger();
            },
            Qt::QueuedConnection);
    });
}

void HotKeyCenter::start() {
    // The previous registration ends first: it holds the very combination asked for, and the
    // system refuses a second grab of it while the first is live.
    hotKey_.reset();
    if (!isAvailable()) {
        emit changed();
        return;
    }
    hotKey_ = makeHotKey(spec_);
    if (!hotKey_) errorMessage_ = Localization::format("hotkey.error.startFailed", displayText(spec_));
    emit changed();
}

void HotKeyCenter::ensureRegistered() {
    if (!hotKey_) start();
}

void HotKeyCenter::setSuspended(bool suspended) {
    if (suspended) {
        hotKey_.reset();
        emit changed();
    } else {
        ensureRegistered();
    }
}

void HotKeyCenter::update(const HotKeySpec& spec) {
    switch (spec.validation()) {
    case HotKeySpec::Validation::missingModifier:
        setErrorMessage(Localization::tr("hotkey.error.needsModifier"));
        return;
    case HotKeySpec::Validation::unsupportedKey:
        setErrorMessage(Localization::tr("hotkey.error.unsupported"));
        return;
    case HotKeySpec::Validation::valid:
        break;
    }
    if (spec == spec_) {
        errorMessage_.reset();
        ensureRegistered();
        emit changed();
        return;
    }
    auto registration = makeHotKey(spec);
    if (!registration && isAvailable()) {
        errorMessage_ = Localization::format("hotkey.error.inUse", displayText(spec));
        ensureRegistered();
        emit changed();
        return;
    }
    hotKey_ = std::move(registration);
    spec_ = spec;
    errorMessage_.reset();
    emit changed();
    try {
        storage_->save(spec_);
    } catch (const std::exception& error) {
        log_(std::string("Kestrine: could not save the shortcut: ") + error.what());
    }
}

} // namespace kestrine
