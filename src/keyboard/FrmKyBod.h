// SPDX-License-Identifier: GPL-3.0-or-later
// The keyboard window: the text field, the keys that type into it, the editing commands and the highlighting
// of the key under the pointer.
//
// Names. The windows keep the names of their design, romanised Japanese in the classic platform's style:
//   controls by kind: cmd/Cmd button, lbl/Lbl label, Img picture, Txt text field, Lin/Line drawn line, Frm window
//   (FrmKyBod = form keyboard; FrmBun3a, 3b, 3c = the three explanation pages, FrmBun3d = the length notice);
//   handlers Control_Event (cmdMoji_Click, Txt1_KeyPress, Form_MouseMove); procedures MixedCase (InsertMoji);
//   variables romanised Japanese (Jikazu), as are the words in the names:
//   Moji 文字 character, MojiS small kana, Daku 濁点 voicing mark (the 〃 and ｏ keys), Kazu 数字 digit,
//   Kigo 記号 symbol, Spce 空白 space, Emoji 顔文字 face mark, Bun 文 explanation text, Clr delete one character,
//   Clrall 全消去 clear all, END 終 end, Kasoru カーソル cursor (clicked insertion point), Aru 有る "there is"
//   (a clicked insertion point is pending), Jikazu 字数 character count, Kanjisu 漢字数 where the selection
//   for conversion starts once text came from the keyboard or the input method, m1..m5 the last hovered index of
//   cmdMoji, cmdMojiS, cmdDaku, cmdKazu and cmdKigo. The program's own conversion (convert/) adds FrmKoho 候補
//   the candidate bar, Henkan 変換 convert, Bunsetsu 文節 segment, Koho 候補 candidate or entry, Mae 前 / Tsugi 次
//   previous / next page, Mijikaku 短く / Nagaku 長く shorter / longer segment, Kakutei 確定 accept, Torikeshi 取消
//   cancel, and on the field Txt1_KeyDown and mnuHenkan.
// SetFocus (capital S) on a control is a checked platform operation: the fault hook may refuse it, and it
//   activates the control's window when needed. Qt's own setFocus is neither; the handlers use SetFocus.
#pragma once

#include "convert/Conversion.h"
#include "ui/ControlArray.h"
#include "ui/Form.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace ui {
class Desktop;
class TextBox;
} // namespace ui

namespace explain {
class Explanation;
}

namespace convert {
class FrmKoho;
}

namespace keyboard {

// The window's variables, named as the keyboard's design names them.
struct KeyboardVariables {
    QString MojiX; // the text the last key chose for insertion
    std::int16_t Kasoru = 0; // insertion point clicked into the field
    std::int16_t Aru = 0; // 1 while a clicked insertion point is pending
    std::int16_t Jikazu = 0; // character count as last measured
    std::int16_t Kanjisu = 0; // selection mark: one more than the length when a typed character arrived
    std::int16_t m1 = 0, m2 = 0, m3 = 0, m4 = 0, m5 = 0; // last hovered index per key group
};

class FrmKyBod : public ui::Form, private KeyboardVariables {
    Q_OBJECT
public:
    FrmKyBod(ui::Desktop &desktop, explain::Explanation &explanation, convert::Conversion::EngineFactory engine);
    ~FrmKyBod() override;

    const KeyboardVariables &variables() const { return *this; }
    // The program's own conversion of the field's selection, and the candidate bar along the window's bottom edge.
    convert::Conversion &conversion() { return *m_conversion; }
    convert::FrmKoho &candidateBar() { return *m_bar; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load();
    void InsertMoji();
    void CheckLength();
    void AssignKeyText(const QString &text);
    void AppendFaceMark(const ui::Button *key);

    void Txt1_Click();
    void Txt1_KeyPress();

    void cmdMoji_Click(std::int16_t Index);
    void cmdMojiS_Click(std::int16_t Index);
    void cmdDaku_Click(std::int16_t Index);
    void cmdKazu_Click(std::int16_t Index);
    void cmdKigo_Click(std::int16_t Index);
    void cmdSpce_Click();
    void cmdEmoji1_Click();
    void cmdEmoji2_Click();
    void cmdEmoji3_Click();

    void cmdClr_Click();
    void cmdClrall_Click();
    void cmdCopy_Click();
    void cmdBun_Click();
    void cmdEND_Click();

    void ResetKeyColors();
    void HighlightCommand(ui::Button *command);
    void cmdMoji_MouseMove(std::int16_t Index);
    void cmdMojiS_MouseMove(std::int16_t Index);
    void cmdDaku_MouseMove(std::int16_t Index);
    void cmdKazu_MouseMove(std::int16_t Index);
    void cmdKigo_MouseMove(std::int16_t Index);
    void cmdBun_MouseMove();
    void cmdEmoji1_MouseMove();
    void cmdEmoji2_MouseMove();
    void cmdEmoji3_MouseMove();
    void cmdSpce_MouseMove();
    void cmdCopy_MouseMove();
    void cmdClr_MouseMove();
    void cmdClrall_MouseMove();
    void cmdEND_MouseMove();
    void Form_MouseMove();
    void Txt1_MouseMove();

    void connectHandlers();
    void describeForScreenReaders();

    ui::Desktop &m_desktop;
    explain::Explanation &m_explanation;
    // The length of the text a key last assigned, as far as the field's 16 units go.
    std::int16_t m_lengthAssigned = 0;

    convert::Conversion *m_conversion = nullptr; // a child of the field it converts in, deleted first
    std::unique_ptr<convert::FrmKoho> m_bar;
    ui::TextBox *Txt1;
    ui::ButtonArray *cmdMoji;
    ui::ButtonArray *cmdMojiS;
    ui::ButtonArray *cmdDaku;
    ui::ButtonArray *cmdKazu;
    ui::ButtonArray *cmdKigo;
    ui::Button *cmdBun;
    ui::Button *cmdEmoji1;
    ui::Button *cmdEmoji2;
    ui::Button *cmdEmoji3;
    ui::Button *cmdSpce;
    ui::Button *cmdCopy;
    ui::Button *cmdClr;
    ui::Button *cmdClrall;
    ui::Button *cmdEND;
    // Every key and command in the order the reset paints them.
    std::vector<ui::Button *> m_resetOrder;
};

} // namespace keyboard
