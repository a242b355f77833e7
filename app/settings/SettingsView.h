// The settings window's content: the header with the shortcut, the active preset's shelf, the
// preset cards, and the footer that stays at the bottom while the rest scrolls. The model's
// error message shows in a banner over the top. The view owns the one preset-editor sheet.
#pragma once

#include "app/settings/PresetEditorMode.h"

#include <QPointer>
#include <QWidget>

#include <optional>

class QScrollArea;

namespace kestrine {

struct DockChoice;
class AppModel;
class DockShelfView;
class ErrorBanner;
class FooterBar;
class HeaderView;
class HotKeyCenter;
class LaunchAtLogin;
class PaletteLabel;
class PresetCardsView;
class PresetEditor;
class ShelfHeader;
class ShortcutRecorder;

class SettingsView : public QWidget {
    Q_OBJECT
public:
    // The content column's padding and spacing.
    static QMargins contentPadding() { return QMargins(36, 44, 36, 32); }
    static constexpr int contentSpacing = 32;
    static constexpr int shelfSpacing = 12;
    // Where the error banner's card sits: inset from the left and right edges, down from the top.
    static constexpr int bannerInset = 36;
    static constexpr int bannerTop = 40;
    // Space between the header and the dock line under it.
    static constexpr int dockLineGap = 10;

    SettingsView(AppModel& model, LaunchAtLogin& loginItem, HotKeyCenter& center, ShortcutRecorder& recorder,
                 QWidget* parent = nullptr);
    ~SettingsView() override;

    HeaderView* header() const { return header_; }
    // The line under the header naming the dock being switched.
    PaletteLabel* dockLine() const { return dockLine_; }
    static QString dockDescription(const DockChoice& dock);
    // The shelf section (shelf header, shelf and hint); hidden while there is no active preset.
    QWidget* shelfSection() const { return shelfSection_; }
    ShelfHeader* shelfHeader() const { return shelfHeader_; }
    DockShelfView* shelf() const { return shelf_; }
    PresetCardsView* presetCards() const { return cards_; }
    FooterBar* footer() const { return footer_; }
    QScrollArea* scrollArea() const { return scroll_; }
    QWidget* content() const { return content_; }

    // The banner while the model has an error message (one that is leaving is not counted).
    ErrorBanner* errorBanner() const;

    // The mode the editor sheet is open in, and the sheet, while it is open.
    const std::optional<PresetEditorMode>& editor() const { return editor_; }
    PresetEditor* editorSheet() const;
    // Opens the editor sheet; does nothing while a sheet is open.
    void openEditor(const PresetEditorMode& mode);

    // The widgets that Tab visits, in the order of the layout: the banner while it shows, then
    // the content top to bottom (side by side left to right), then the footer.
    QList<QWidget*> tabOrder() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void modelChanged();
    void updateBanner();
    void placeBanner(ErrorBanner* banner, qreal presence);
    void styleScrollBar();

    AppModel& model_;
    QScrollArea* scroll_ = nullptr;
    QWidget* content_ = nullptr;
    HeaderView* header_ = nullptr;
    PaletteLabel* dockLine_ = nullptr;
    QWidget* shelfSection_ = nullptr;
    ShelfHeader* shelfHeader_ = nullptr;
    DockShelfView* shelf_ = nullptr;
    PaletteLabel* shelfHint_ = nullptr;
    PresetCardsView* cards_ = nullptr;
    FooterBar* footer_ = nullptr;

    QPointer<ErrorBanner> banner_;
    std::optional<PresetEditorMode> editor_;
    QPointer<PresetEditor> sheet_;
    bool scrollBarDark_ = false;
};

}  // namespace kestrine
