// SPDX-License-Identifier: GPL-3.0-or-later
// The program's own kana-kanji conversion of the text field's selection, for desktops whose input method does not
// convert it: started by the 変換 key when that reaches the field, or from the field's menu; shown in the field as
// an input method shows its conversion, and chosen with the keys every input method uses or in a candidate window.
#pragma once

#include "convert/Engine.h"
#include "convert/Session.h"
#include "ui/Form.h"

#include <QObject>
#include <functional>
#include <memory>
#include <optional>

class QInputMethodEvent;
class QKeyEvent;
class QMenu;

namespace ui {
class Desktop;
class TextBox;
} // namespace ui

namespace convert {

class FrmHenkan;

// While a conversion runs, the reading stands in the field as the input method's preedit would, the composed text
// in its place; anything else the user does on the keyboard (a click into the field, a key that is not the
// conversion's, a click on a key or command) first accepts what is shown. Escape, Backspace, 取消 and closing the
// candidate window give the reading back exactly, selected as before. Going to another window leaves it open.
class Conversion : public QObject {
    Q_OBJECT
public:
    using EngineFactory = std::function<std::unique_ptr<Engine>()>;

    // The engine is made the first time a conversion is asked for or offered, never at start-up.
    Conversion(ui::TextBox &field, ui::Desktop &desktop, QWidget &owner, EngineFactory makeEngine);
    ~Conversion() override;

    bool active() const { return m_session.has_value(); }
    const Session *session() const { return m_session ? &*m_session : nullptr; }
    FrmHenkan *windowIfCreated() const { return m_window.ifCreated(); }
    // Why the program cannot convert here, for the menu's tooltip; empty when it can. Starts the engine.
    QString unavailableReason();

    // What the keys and the candidate window do; each a checked platform operation where it shows, hides or
    // converts. Outside a conversion only start() does anything.
    void start();
    void nextCandidate();
    void previousCandidate();
    void nextPage();
    void previousPage();
    void chooseRow(int row);
    void makeCurrent(qsizetype segment);
    void moveLeft();
    void moveRight();
    void shorten();
    void lengthen();
    void chooseHiragana();
    void chooseKatakana();
    void accept();
    void cancel();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Watches the whole program while a conversion is open (see eventFilter in the source).
    class Elsewhere final : public QObject {
    public:
        explicit Elsewhere(Conversion &conversion)
            : m_conversion(conversion)
        { }
        bool eventFilter(QObject *watched, QEvent *event) override;

    private:
        Conversion &m_conversion;
    };

    void Txt1_KeyDown(QKeyEvent *event, bool &consumed);
    void mnuHenkan_Click();
    void addMenuEntry(QMenu *menu);

    Engine &engine();
    // Runs a step of the session and shows its outcome in the field and the window.
    template<typename Step> void update(Step step);
    // The field's preedit: the composed text, underlined, with the current segment highlighted.
    void showInField(int replaceFrom = 0, int replaceLength = 0);
    void hideWindow();
    // Sends one of the conversion's own input-method events to the field.
    void send(QInputMethodEvent &event);
    // The session is over, by accepting or cancelling.
    void end();

    ui::TextBox &m_field;
    ui::Desktop &m_desktop;
    QWidget &m_owner;
    EngineFactory m_makeEngine;
    std::unique_ptr<Engine> m_engine;
    std::optional<Session> m_session;
    ui::SingleInstance<FrmHenkan> m_window;
    // Where the reading stood in the field, to give it back there.
    int m_readingStart = 0;
    bool m_showing = false; // an event of the conversion's own is on its way to the field
    const QEvent *m_fieldKey = nullptr; // the last key the field was sent, which may travel on to its window
    Elsewhere m_elsewhere { *this };
};

} // namespace convert
