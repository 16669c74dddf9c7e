// SPDX-License-Identifier: GPL-3.0-or-later
// The keyboard window's handlers. They follow the window's algorithms step by step: every platform operation
// is checked, and a refused one stops the handler where it stands.
#include "FrmKyBod.h"

#include "KeyboardLayout.h"
#include "convert/FrmKoho.h"
#include "explain/Explanation.h"
#include "ui/Colors.h"
#include "ui/Desktop.h"
#include "ui/Platform.h"
#include "ui/TextBox.h"
#include "ui/Wiring.h"

#include <QCloseEvent>
#include <algorithm>
#include <array>

namespace keyboard {

namespace {

constexpr int LengthLimit = 15;

// What the small-kana keys type; their captions show the full-size kana.
constexpr std::array<QStringView, 9> SmallKana {
    u"\u3041", u"\u3043", u"\u3045", u"\u3047", u"\u3049", // ぁ ぃ ぅ ぇ ぉ
    u"\u3063", u"\u3083", u"\u3085", u"\u3087", // っ ゃ ゅ ょ
};

// What the voiced-mark keys type, by index: the 〃 keys of the か, さ, た and は columns, then the ｏ keys.
constexpr std::array<QStringView, 25> VoicedKana {
    u"\u304C", u"\u304E", u"\u3050", u"\u3052", u"\u3054", // が ぎ ぐ げ ご
    u"\u3056", u"\u3058", u"\u305A", u"\u305C", u"\u305E", // ざ じ ず ぜ ぞ
    u"\u3060", u"\u3062", u"\u3065", u"\u3067", u"\u3069", // だ ぢ づ で ど
    u"\u3070", u"\u3073", u"\u3076", u"\u3079", u"\u307C", // ば び ぶ べ ぼ
    u"\u3071", u"\u3074", u"\u3077", u"\u307A", u"\u307D", // ぱ ぴ ぷ ぺ ぽ
};

constexpr QStringView IdeographicSpace = u"\u3000";

// As plain RGB values: the hover handlers set 117 colours on every pointer move.
constexpr QRgb RestColor = ui::toRgb(ui::KeyRest);
constexpr QRgb HoverColor = ui::toRgb(ui::KeyHover);
constexpr QRgb EndHoverColor = ui::toRgb(ui::EndKeyHover);
const QColor WindowHoverColor = ui::toQColor(ui::WindowBright);

std::int16_t lengthOf(const QString &text)
{
    return std::int16_t(text.size());
}

} // namespace

FrmKyBod::FrmKyBod(ui::Desktop &desktop, explain::Explanation &explanation, convert::Conversion::EngineFactory engine)
    : ui::Form(FrmKyBodDefinition)
    , m_desktop(desktop)
    , m_explanation(explanation)
    , Txt1(control<ui::TextBox>(u"Txt1"))
    , cmdMoji(new ui::ButtonArray(controlArray<ui::Button>(u"cmdMoji"), this))
    , cmdMojiS(new ui::ButtonArray(controlArray<ui::Button>(u"cmdMojiS"), this))
    , cmdDaku(new ui::ButtonArray(controlArray<ui::Button>(u"cmdDaku"), this))
    , cmdKazu(new ui::ButtonArray(controlArray<ui::Button>(u"cmdKazu"), this))
    , cmdKigo(new ui::ButtonArray(controlArray<ui::Button>(u"cmdKigo"), this))
    , cmdBun(control<ui::Button>(u"cmdBun"))
    , cmdEmoji1(control<ui::Button>(u"cmdEmoji1"))
    , cmdEmoji2(control<ui::Button>(u"cmdEmoji2"))
    , cmdEmoji3(control<ui::Button>(u"cmdEmoji3"))
    , cmdSpce(control<ui::Button>(u"cmdSpce"))
    , cmdCopy(control<ui::Button>(u"cmdCopy"))
    , cmdClr(control<ui::Button>(u"cmdClr"))
    , cmdClrall(control<ui::Button>(u"cmdClrall"))
    , cmdEND(control<ui::Button>(u"cmdEND"))
{
    for (const ui::ButtonArray *group : { cmdMoji, cmdMojiS, cmdDaku, cmdKazu, cmdKigo })
        m_resetOrder.insert(m_resetOrder.end(), group->begin(), group->end());
    m_resetOrder.insert(
        m_resetOrder.end(), { cmdBun, cmdEmoji1, cmdEmoji2, cmdEmoji3, cmdSpce, cmdCopy, cmdClr, cmdClrall, cmdEND });

    m_explanation.setOwner(this);
    m_conversion = new convert::Conversion(*Txt1, desktop, *this, std::move(engine));
    m_bar = std::make_unique<convert::FrmKoho>(*m_conversion, *Txt1, this);
    // However a key or command is pressed (the pointer, Space or Enter, a screen reader's action, a switch), an open
    // conversion is taken before the key acts.
    for (ui::Button *control : m_resetOrder)
        connect(control, &ui::Button::pressed, m_conversion,
            [this] { ui::runGuarded("Form_Press", [this] { m_conversion->takeBeforePress(); }); });
    connectHandlers();
    describeForScreenReaders();
    Txt1->setFocus();
    ui::runGuarded("Form_Load", [this] { Form_Load(); });
}

// The conversion goes first: the window closes as it is destroyed, and an open conversion would otherwise be taken
// into a keyboard already half gone.
FrmKyBod::~FrmKyBod()
{
    m_bar.reset();
    delete m_conversion;
}

void FrmKyBod::connectHandlers()
{
    // clang-format off
    //             control    click                   pointer move
    ui::wire(this, Txt1,      UI_ON(Txt1_Click),      UI_ON(Txt1_MouseMove));
    ui::wire(this, cmdMoji,   UI_ON(cmdMoji_Click),   UI_ON(cmdMoji_MouseMove));
    ui::wire(this, cmdMojiS,  UI_ON(cmdMojiS_Click),  UI_ON(cmdMojiS_MouseMove));
    ui::wire(this, cmdDaku,   UI_ON(cmdDaku_Click),   UI_ON(cmdDaku_MouseMove));
    ui::wire(this, cmdKazu,   UI_ON(cmdKazu_Click),   UI_ON(cmdKazu_MouseMove));
    ui::wire(this, cmdKigo,   UI_ON(cmdKigo_Click),   UI_ON(cmdKigo_MouseMove));
    ui::wire(this, cmdSpce,   UI_ON(cmdSpce_Click),   UI_ON(cmdSpce_MouseMove));
    ui::wire(this, cmdEmoji1, UI_ON(cmdEmoji1_Click), UI_ON(cmdEmoji1_MouseMove));
    ui::wire(this, cmdEmoji2, UI_ON(cmdEmoji2_Click), UI_ON(cmdEmoji2_MouseMove));
    ui::wire(this, cmdEmoji3, UI_ON(cmdEmoji3_Click), UI_ON(cmdEmoji3_MouseMove));
    ui::wire(this, cmdClr,    UI_ON(cmdClr_Click),    UI_ON(cmdClr_MouseMove));
    ui::wire(this, cmdClrall, UI_ON(cmdClrall_Click), UI_ON(cmdClrall_MouseMove));
    ui::wire(this, cmdCopy,   UI_ON(cmdCopy_Click),   UI_ON(cmdCopy_MouseMove));
    ui::wire(this, cmdBun,    UI_ON(cmdBun_Click),    UI_ON(cmdBun_MouseMove));
    ui::wire(this, cmdEND,    UI_ON(cmdEND_Click),    UI_ON(cmdEND_MouseMove));
    // clang-format on
    ui::wireSignal(this, Txt1, &ui::TextBox::characterArriving, UI_ON(Txt1_KeyPress));
    ui::wireSignal(this, this, &ui::Form::surfaceMouseMoved, UI_ON(Form_MouseMove));
}

void FrmKyBod::describeForScreenReaders()
{
    // A screen reader names each key by what it types; the mark keys' captions alone would say nothing.
    for (std::int16_t index = 0; index < cmdMojiS->size(); ++index)
        (*cmdMojiS)[index]->setAccessibleName(SmallKana[std::size_t(index)].toString());
    for (std::int16_t index = 0; index < cmdDaku->size(); ++index)
        (*cmdDaku)[index]->setAccessibleName(VoicedKana[std::size_t(index)].toString());
    cmdSpce->setAccessibleName(cmdSpce->text());
    cmdSpce->setAccessibleDescription(QStringLiteral("全角スペースを入力します"));
    cmdBun->setAccessibleDescription(QStringLiteral("使い方の説明を表示します"));
    cmdCopy->setAccessibleDescription(QStringLiteral("入力した文字をクリップボードにコピーします"));
    cmdClr->setAccessibleDescription(cmdClr->toolTip());
    cmdClrall->setAccessibleDescription(QStringLiteral("入力した文字をすべて消します"));
    cmdEND->setAccessibleDescription(QStringLiteral("キーボードを終了します"));
    Txt1->setAccessibleName(QStringLiteral("入力欄"));
    Txt1->setAccessibleDescription(QStringLiteral("キーで入力した文字（１５文字まで）"));
}

// --- Text field, insertion and the length limit -----------------------------------------------------------

void FrmKyBod::Form_Load()
{
    m_explanation.showPage(1);
    Aru = 0;
    m1 = m2 = m3 = m4 = m5 = 0;
}

// The field keeps at most 16 units and never half a character, so a text whose 16th unit begins a surrogate pair
// comes back 15 units long. The length check measures what the field was given, up to its 16 units, so that such
// a text still raises the notice.
void FrmKyBod::AssignKeyText(const QString &text)
{
    m_lengthAssigned = std::int16_t(std::min<qsizetype>(text.size(), Txt1->maxLength()));
    Txt1->assignText(text);
}

void FrmKyBod::InsertMoji()
{
    if (Aru == 1) {
        Jikazu = lengthOf(Txt1->Text());
        if (Kasoru < Jikazu) {
            // A stale insertion point inside a surrogate pair goes before that character.
            const QString text = Txt1->Text();
            const int at = ui::characterBoundary(text, Kasoru);
            AssignKeyText(text.left(at) + MojiX + text.mid(at));
            Kasoru = lengthOf(Txt1->Text());
        } else {
            AssignKeyText(Txt1->Text() + MojiX);
        }
        Aru = 0;
    } else {
        AssignKeyText(Txt1->Text() + MojiX);
    }
    CheckLength();
    if (Kanjisu < 1) {
        Txt1->setSelStart(0);
        Txt1->setSelLength(Jikazu);
    } else {
        Txt1->setSelStart(Kanjisu);
        Txt1->setSelLength(Jikazu - Kanjisu);
    }
    Txt1->SetFocus();
}

void FrmKyBod::CheckLength()
{
    Jikazu = std::max(lengthOf(Txt1->Text()), m_lengthAssigned);
    if (Jikazu <= LengthLimit)
        return;
    m_explanation.showNotice();
    m_desktop.beep();
    Txt1->assignText(ui::leftWholeCharacters(Txt1->Text(), LengthLimit));
}

void FrmKyBod::Txt1_Click()
{
    Kasoru = std::int16_t(Txt1->SelStart());
    Aru = 1;
}

void FrmKyBod::Txt1_KeyPress()
{
    Kanjisu = std::int16_t(lengthOf(Txt1->Text()) + 1);
}

// --- Character keys ---------------------------------------------------------------------------------------

void FrmKyBod::cmdMoji_Click(std::int16_t Index)
{
    MojiX = (*cmdMoji)[Index]->text();
    InsertMoji();
}

void FrmKyBod::cmdMojiS_Click(std::int16_t Index)
{
    MojiX = SmallKana.at(std::size_t(Index)).toString();
    InsertMoji();
}

void FrmKyBod::cmdDaku_Click(std::int16_t Index)
{
    MojiX = VoicedKana.at(std::size_t(Index)).toString();
    InsertMoji();
}

void FrmKyBod::cmdKazu_Click(std::int16_t Index)
{
    MojiX = (*cmdKazu)[Index]->text();
    InsertMoji();
}

void FrmKyBod::cmdKigo_Click(std::int16_t Index)
{
    MojiX = (*cmdKigo)[Index]->text();
    InsertMoji();
}

void FrmKyBod::cmdSpce_Click()
{
    MojiX = IdeographicSpace.toString();
    InsertMoji();
}

// A face mark always goes to the end and leaves the pending insertion point alone.
void FrmKyBod::AppendFaceMark(const ui::Button *key)
{
    AssignKeyText(Txt1->Text() + key->text());
    CheckLength();
}

void FrmKyBod::cmdEmoji1_Click()
{
    AppendFaceMark(cmdEmoji1);
}

void FrmKyBod::cmdEmoji2_Click()
{
    AppendFaceMark(cmdEmoji2);
}

void FrmKyBod::cmdEmoji3_Click()
{
    AppendFaceMark(cmdEmoji3);
}

// --- Editing commands -------------------------------------------------------------------------------------

void FrmKyBod::cmdClr_Click()
{
    const QString text = Txt1->Text();
    Jikazu = lengthOf(text);
    if (Jikazu != 0) {
        if (Aru == 1 && Kasoru < Jikazu) {
            // Forward delete of the character after the insertion point, never half of a surrogate pair.
            const int at = ui::characterBoundary(text, Kasoru);
            Txt1->assignText(text.left(at) + text.mid(at + ui::characterUnitsAt(text, at)));
            Kasoru = lengthOf(Txt1->Text());
            Aru = 0;
        } else {
            Txt1->assignText(text.left(Jikazu - ui::lastCharacterUnits(text)));
        }
    }
    if (Jikazu <= LengthLimit)
        m_explanation.hideNotice();
    if (Kanjisu > 0)
        --Kanjisu;
    cmdCopy->SetFocus();
}

void FrmKyBod::cmdClrall_Click()
{
    Jikazu = 0;
    Kanjisu = 0;
    Txt1->assignText(QString());
    Txt1->SetFocus();
}

void FrmKyBod::cmdCopy_Click()
{
    m_desktop.clearClipboard();
    m_desktop.setClipboardText(Txt1->Text());
    m_explanation.showPage(3);
    Txt1->SetFocus();
}

void FrmKyBod::cmdBun_Click()
{
    m_explanation.showPage(2);
}

void FrmKyBod::cmdEND_Click()
{
    hide();
    m_desktop.endApplication();
}

void FrmKyBod::closeEvent(QCloseEvent *event)
{
    // Closing the keyboard by its frame ends the program, as 終 does: a hidden page must not keep it alive.
    event->accept();
    ui::runGuarded("Form_Unload", [this] { m_desktop.endApplication(); });
}

// --- Hover highlighting -----------------------------------------------------------------------------------

void FrmKyBod::ResetKeyColors()
{
    for (ui::Button *key : m_resetOrder)
        key->setBackColor(RestColor);
}

void FrmKyBod::HighlightCommand(ui::Button *command)
{
    ResetKeyColors();
    command->setBackColor(command == cmdEND ? EndHoverColor : HoverColor);
}

void FrmKyBod::cmdMoji_MouseMove(std::int16_t Index)
{
    ResetKeyColors();
    m1 = Index;
    (*cmdMoji)[m1]->setBackColor(HoverColor);
}

void FrmKyBod::cmdMojiS_MouseMove(std::int16_t Index)
{
    ResetKeyColors();
    m2 = Index;
    (*cmdMojiS)[m2]->setBackColor(HoverColor);
}

void FrmKyBod::cmdDaku_MouseMove(std::int16_t Index)
{
    ResetKeyColors();
    m3 = Index;
    (*cmdDaku)[m3]->setBackColor(HoverColor);
    // The kana the mark voices: the は column's 〃 keys skip the な column, which has no marks.
    m1 = std::int16_t(m3 >= 15 && m3 <= 19 ? m3 + 10 : m3 + 5);
    (*cmdMoji)[m1]->setBackColor(HoverColor);
}

void FrmKyBod::cmdKazu_MouseMove(std::int16_t Index)
{
    ResetKeyColors();
    m4 = Index;
    (*cmdKazu)[m4]->setBackColor(HoverColor);
}

void FrmKyBod::cmdKigo_MouseMove(std::int16_t Index)
{
    ResetKeyColors();
    m5 = Index;
    (*cmdKigo)[m5]->setBackColor(HoverColor);
}

void FrmKyBod::cmdBun_MouseMove()
{
    HighlightCommand(cmdBun);
}

void FrmKyBod::cmdEmoji1_MouseMove()
{
    HighlightCommand(cmdEmoji1);
}

void FrmKyBod::cmdEmoji2_MouseMove()
{
    HighlightCommand(cmdEmoji2);
}

void FrmKyBod::cmdEmoji3_MouseMove()
{
    HighlightCommand(cmdEmoji3);
}

void FrmKyBod::cmdSpce_MouseMove()
{
    HighlightCommand(cmdSpce);
}

void FrmKyBod::cmdCopy_MouseMove()
{
    HighlightCommand(cmdCopy);
}

void FrmKyBod::cmdClr_MouseMove()
{
    HighlightCommand(cmdClr);
}

void FrmKyBod::cmdClrall_MouseMove()
{
    HighlightCommand(cmdClrall);
}

void FrmKyBod::cmdEND_MouseMove()
{
    HighlightCommand(cmdEND);
}

void FrmKyBod::Form_MouseMove()
{
    setBackColor(WindowHoverColor);
}

void FrmKyBod::Txt1_MouseMove()
{
    Txt1->setBackColor(QColor::fromRgb(HoverColor));
}

} // namespace keyboard
