// SPDX-License-Identifier: GPL-3.0-or-later
// The candidate bar (候補バー) along the keyboard's bottom edge, for people who write with the mouse: after every key
// it offers the selected kana converted, predicted and as kana, each taken with one click; its 変換 button opens the
// full conversion, which the bar then shows: the segments, 短く and 長く, the candidates, 確定 and 取消.
#pragma once

#include "convert/Suggestions.h"
#include "ui/ControlArray.h"
#include "ui/Form.h"

#include <QPointer>
#include <cstdint>
#include <vector>

namespace ui {
class TextBox;
}

namespace convert {

class Conversion;
class Session;

extern const ui::FormDef FrmKohoDefinition;

// It never takes the focus, as an input method's candidate window does not: the keys stay with the text field, and a
// click on it chooses without taking anything from it. It is shown, hidden, minimised and moved with the keyboard,
// and never covers the text field.
class FrmKoho : public ui::Form {
    Q_OBJECT
public:
    // Its place in the window's table, in twips: two rows as tall as a kana key.
    static constexpr int Width = 8976, Height = 1172;
    static constexpr int Row1Top = 24, Row2Top = 598, RowHeight = 550;
    static constexpr int FlowLeft = 792; // where entries start, after 変換 and ◀
    static constexpr int EntrySlots = 24, SegmentSlots = 16;

    FrmKoho(Conversion &conversion, ui::TextBox &field, QWidget *owner);

    // Where it stands against the keyboard: under it where the screen has room, else above it, else as low as the
    // screen allows without covering the text field.
    void Dock();
    // Shows the conversion, or the suggestions for the field's selection, as they stand now. Checked platform
    // operations.
    void Refresh();
    // The entries offered now, first to last, and the first one shown.
    const QList<Suggestion> &entries() const { return m_entries; }
    qsizetype firstShown() const { return m_firstShown; }
    // What switch scanning offers on the bar now, each in its order: the entries (the candidates while converting);
    // the buttons (the conversion's own first while converting, then 読み上げ and 設定, the segments last).
    std::vector<ui::Button *> scanEntries() const;
    std::vector<ui::Button *> scanButtons() const;

Q_SIGNALS:
    // Shows what it offers now.
    void refreshed();

Q_SIGNALS:
    // 設定 was pressed: the keyboard opens its settings window.
    void settingsRequested();
    // 読み上げ was pressed: the keyboard speaks the field's text.
    void readAloudRequested();

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void cmdHenkan_Click();
    void cmdKoho_Click(std::int16_t Index);
    void cmdBunsetsu_Click(std::int16_t Index);
    void cmdMae_Click();
    void cmdTsugi_Click();
    void cmdMijikaku_Click();
    void cmdNagaku_Click();
    void cmdKakutei_Click();
    void cmdTorikeshi_Click();
    void cmdYomiage_Click() { Q_EMIT readAloudRequested(); }
    void cmdSettei_Click() { Q_EMIT settingsRequested(); }

    void cmdKoho_MouseMove(std::int16_t Index) { Highlight((*cmdKoho)[Index]); }
    void cmdBunsetsu_MouseMove(std::int16_t Index) { Highlight((*cmdBunsetsu)[Index]); }
    void cmdHenkan_MouseMove() { Highlight(cmdHenkan); }
    void cmdMae_MouseMove() { Highlight(cmdMae); }
    void cmdTsugi_MouseMove() { Highlight(cmdTsugi); }
    void cmdMijikaku_MouseMove() { Highlight(cmdMijikaku); }
    void cmdNagaku_MouseMove() { Highlight(cmdNagaku); }
    void cmdKakutei_MouseMove() { Highlight(cmdKakutei); }
    void cmdTorikeshi_MouseMove() { Highlight(cmdTorikeshi); }
    void cmdYomiage_MouseMove() { Highlight(cmdYomiage); }
    void cmdSettei_MouseMove() { Highlight(cmdSettei); }
    void Form_MouseMove() { ResetColors(); }

    void ShowSession(const Session &session);
    void ShowSuggestions();
    // Lays `texts` from `first` on into the rows given (pixels), each as wide as its text; how many fit. With
    // `place`, the entry buttons are set to them and the rest hidden.
    qsizetype Flow(const QStringList &texts, qsizetype first, const QList<QRect> &rows, bool place);
    QStringList EntryTexts() const;
    qsizetype EntriesFitting(const QStringList &texts, qsizetype first);
    qsizetype CandidatesFitting(const QStringList &texts, qsizetype first);
    QList<QRect> EntryRows() const;
    QList<QRect> CandidateRow() const;
    QRect SegmentRow() const;
    void PlaceSegments(const Session &session);
    // Every button back to rest, the current segment and the chosen candidate marked.
    void ResetColors();
    // The button under the pointer white, unless it is marked.
    void Highlight(ui::Button *button);
    // A refresh once the keyboard has painted what the key changed.
    void ScheduleRefresh();
    // Shown again beside a keyboard on the screen, if something took it away.
    void OfferAgain();

    Conversion &m_conversion;
    ui::TextBox &m_field;
    QWidget *const m_owner;
    ui::Button *const cmdHenkan;
    ui::Button *const cmdMae;
    ui::Button *const cmdTsugi;
    ui::Button *const cmdMijikaku;
    ui::Button *const cmdNagaku;
    ui::Button *const cmdKakutei;
    ui::Button *const cmdTorikeshi;
    ui::Button *const cmdYomiage;
    ui::Button *const cmdSettei;
    ui::Label *const lblHint;
    ui::ButtonArray *const cmdKoho;
    ui::ButtonArray *const cmdBunsetsu;

    QList<Suggestion> m_entries;
    qsizetype m_firstShown = 0; // the first entry on the page shown
    QList<qsizetype> m_shownEntry; // the entry each cmdKoho button shows
    qsizetype m_firstCandidate = 0; // the candidate cmdKoho(0) shows while converting
    int m_currentSegment = -1; // marked while converting
    int m_chosenSlot = -1; // the cmdKoho button of the chosen candidate, if shown
    bool m_refreshPending = false;
};

} // namespace convert
