// The preset editor sheet: creates a preset (name, emoji and apps), edits a preset's name and
// emoji, or picks the active preset's apps from a searchable grid of installed applications.
#pragma once

#include "app/settings/PresetEditorMode.h"
#include "core/model/PresetApp.h"

#include <QDialog>
#include <QHash>
#include <QPointer>
#include <QString>

#include <optional>
#include <set>
#include <string>
#include <vector>

class QLineEdit;
class QScrollArea;
class QScrollBar;

namespace kestrine {

class AppModel;
class AppPickTile;
class EmojiChip;
class KeyButton;
class PaletteLabel;
class WellBackground;

namespace editor_detail {
class BusyIndicator;
class EmojiKey;
class FieldWell;
class PickerGrid;
class PlainSymbolButton;
}  // namespace editor_detail

class PresetEditor : public QDialog {
    Q_OBJECT
public:
    static constexpr int padding = 22;
    static constexpr int spacing = 16;
    static constexpr int detailsWidth = 520;
    static constexpr int pickerWidth = 640;
    static constexpr int pickerHeight = 620;

    // In create and addApps modes the model's application scan starts at once; closing the
    // editor, however it closes, releases the scan.
    PresetEditor(AppModel& model, PresetEditorMode mode, QWidget* parent = nullptr);
    ~PresetEditor() override;

    const PresetEditorMode& mode() const { return mode_; }
    bool picksApps() const;

    // The state the sheet edits and what follows from it.
    std::string trimmedName() const;
    // The picked emoji, else the name's default one; never empty.
    std::string emoji() const;
    const std::optional<std::string>& picked() const { return picked_; }
    bool nameTaken() const;
    bool canSave() const;
    const std::set<std::string>& selection() const { return selection_; }
    std::set<std::string> dockIDs() const;
    const std::vector<PresetApp>& candidates() const { return candidates_; }
    // The candidates whose name or id contains the trimmed query, ignoring case.
    std::vector<PresetApp> filtered() const;

    // Saves as the mode says and closes the sheet; does nothing while canSave() is false, and
    // leaves the sheet open when the model reports a failure.
    void save();

    // The tile showing `id`, if one has been built.
    AppPickTile* tileFor(const std::string& id) const;

    void done(int result) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildTitle();
    void buildNameRows();
    void buildPickerRows();
    void buildFooter();

    void modelChanged();
    void nameChanged();
    void queryChanged();
    void toggle(const std::string& id);
    void setSelection(std::set<std::string> selection);
    // The ids of the active preset's apps; remembers which preset they came from.
    std::set<std::string> activeAppIDs();

    void refreshCandidates();
    void refreshFilter();
    void refreshTileStates();
    void refreshPickerState();
    void refreshFooter();
    void refreshSaveState();
    void refreshEmoji();
    void relayout();
    int footerHeight() const;
    void layoutFooter();
    void layoutPicker();
    AppPickTile* makeTile(const PresetApp& app);
    void fixTabOrder();
    void fitToParent();
    void releaseScan();

    AppModel& model_;
    PresetEditorMode mode_;
    QPointer<AppModel> modelGuard_;  // the editor may outlive the model at shutdown
    std::optional<std::string> picked_;
    std::set<std::string> selection_;
    std::string seededPresetID_;  // addApps: the preset whose apps the selection started from
    QString query_;
    std::vector<PresetApp> candidates_;
    std::vector<int> filteredIndexes_;
    std::set<std::string> dockIDs_;
    // What the candidate list was last built from.
    struct PickerInputs {
        std::vector<PresetApp> installed, dock, activeApps;
        bool operator==(const PickerInputs&) const = default;
    };
    std::optional<PickerInputs> pickerInputs_;
    bool released_ = false;
    bool finished_ = false;
    bool tabOrderStale_ = false;
    int footerTop_ = -1;
    int detailsHeight_ = 0;

    PaletteLabel* title_ = nullptr;
    editor_detail::EmojiKey* emojiKey_ = nullptr;
    editor_detail::FieldWell* nameWell_ = nullptr;
    QLineEdit* nameField_ = nullptr;
    std::vector<EmojiChip*> chips_;

    editor_detail::FieldWell* searchWell_ = nullptr;
    QLineEdit* searchField_ = nullptr;
    editor_detail::PlainSymbolButton* searchClear_ = nullptr;
    KeyButton* fromDock_ = nullptr;
    KeyButton* clear_ = nullptr;
    WellBackground* pickerWell_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QScrollBar* overlayBar_ = nullptr;
    editor_detail::PickerGrid* grid_ = nullptr;
    editor_detail::BusyIndicator* busy_ = nullptr;
    PaletteLabel* noResults_ = nullptr;
    editor_detail::BusyIndicator* cornerBusy_ = nullptr;
    QHash<QString, AppPickTile*> tiles_;

    PaletteLabel* count_ = nullptr;
    PaletteLabel* note_ = nullptr;
    KeyButton* cancel_ = nullptr;
    KeyButton* save_ = nullptr;
};

}  // namespace kestrine
