#include "app/settings/WaylandShortcutNote.h"

#include <QBoxLayout>
#include <QClipboard>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStandardPaths>

#include <cstdlib>

#include "app/HotKey.h"
#include "app/HotKeyCenter.h"
#include "app/Localization.h"
#include "app/platform/linux/DockDetection.h"
#include "app/platform/linux/gnome/GnomeCustomShortcut.h"
#include "app/style/KeyButton.h"
#include "app/style/PaletteLabel.h"
#include "app/style/Typography.h"
#include "core/hotkey/LinuxKeyNames.h"

namespace kestrine {

bool WaylandShortcutNote::isWaylandSession(const EnvironmentLookup& environment) {
    return HotKey::availability(environment) == HotKey::Availability::unavailableOnWayland;
}

bool WaylandShortcutNote::isGnome(const EnvironmentLookup& environment) {
    const auto desktop = environment("XDG_CURRENT_DESKTOP");
    return desktop && DockDetection::namesGnome(*desktop) && GnomeCustomShortcut::isAvailable();
}

QString WaylandShortcutNote::panelCommand() {
    const QString self = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("kestrine"));
    if (!onPath.isEmpty() && QFileInfo(onPath).canonicalFilePath() == self) return QStringLiteral("kestrine panel");
    return self + QStringLiteral(" panel");
}

QMargins WaylandShortcutNote::room() {
    return KeySurface::containerRoom();
}

WaylandShortcutNote::WaylandShortcutNote(HotKeyCenter& center, const EnvironmentLookup& environment, QWidget* parent)
    : QWidget(parent), center_(center) {
    // The note keeps a composite's room around what it shows; the text has none of its own but
    // its margins, the buttons a key's. The gaps are net of those rooms.
    constexpr int gap = 6;
    const QMargins room = KeySurface::containerRoom();
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, room.top(), 0, 0);
    column->setSpacing(0);
    body_ = new PaletteLabel(Localization::format("hotkey.wayland.body", panelCommand()), Typography::font(TextStyle::caption),
                             Palette::Swatch::inkSoft, this);
    body_->setWrapping(true);
    body_->setContentsMargins(room.left(), 0, room.right(), 0);
    column->addWidget(body_, 0, Qt::AlignLeft);

    auto* buttons = new QWidget(this);
    auto* row = new QHBoxLayout(buttons);
    const KeyButton::Style compact{.prominent = false, .compact = true, .active = false};
    copy_ = new KeyButton(Localization::tr("hotkey.wayland.copy"), compact, buttons);
    const QMargins key = copy_->room();
    row->setContentsMargins(room - key);
    row->setSpacing(0);
    row->addWidget(copy_, 0, Qt::AlignTop);
    connect(copy_, &QAbstractButton::clicked, this, [] { QGuiApplication::clipboard()->setText(panelCommand()); });
    if (isGnome(environment)) {
        gnome_ = new KeyButton(QString(), compact, buttons);
        row->addSpacing(gap - key.right() - key.left());
        row->addWidget(gnome_, 0, Qt::AlignTop);
        connect(gnome_, &QAbstractButton::clicked, this, [this] {
            if (GnomeCustomShortcut::current())
                GnomeCustomShortcut::remove();
            else
                GnomeCustomShortcut::add({Localization::tr("hotkey.wayland.gnomeName").toStdString(),
                                          panelCommand().toStdString(), LinuxKeyNames::accelerator(center_.spec())});
            refresh();
        });
        // A changed shortcut follows into GNOME's binding once it has been added.
        connect(&center_, &HotKeyCenter::changed, this, [this] {
            if (auto current = GnomeCustomShortcut::current()) {
                current->binding = LinuxKeyNames::accelerator(center_.spec());
                GnomeCustomShortcut::add(*current);
            }
        });
    }
    column->addSpacing(gap - room.top());
    column->addWidget(buttons, 0, Qt::AlignLeft);
    refresh();
}

void WaylandShortcutNote::refresh() {
    if (gnome_)
        gnome_->setText(Localization::tr(GnomeCustomShortcut::current() ? "hotkey.wayland.gnomeRemove"
                                                                         : "hotkey.wayland.gnomeAdd"));
    updateGeometry();
}

}  // namespace kestrine
