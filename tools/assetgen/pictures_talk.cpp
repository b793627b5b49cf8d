// Talk-line atlases: one line of dialogue per 16-pixel row, 512 pixels wide,
// cut out row by row and shown at (64, 448) over the play field. The rows are
// the ones the chapter scripts and the bosses ask for, no more: an atlas is
// exactly 16 × rows tall.
//
// Speakers: Sena (the player, portrait 0, left), Haruka (operator, portrait 1),
// Veil (the boss pilot, portrait 2); lines without a portrait are the craft's
// own system messages in 《》.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/assetgen/pictures_parts.h"

namespace pic {
namespace {

enum Who { kSys, kSena, kHaruka, kVeil };

struct Line {
    Who who;
    const char* text;
};

struct Atlas {
    int id;
    std::vector<Line> rows;
};

// ---- chapter 1 -----------------------------------------------------------------------------
// "#346": intro (rows 0–1) and the waves (rows 2–14).
const Atlas kCh1Waves{346,
                      {
                          {kSena, "コルボ・ゼータ、発進する！"},
                          {kHaruka, "発進を確認。セナ、外縁防衛線まで誘導するわ"},
                          {kSys, "外縁防衛線　第一層に進入"},
                          {kSys, "防衛機の反応多数　識別信号：友軍"},
                          {kSena, "友軍の信号で撃ってくるなんて……"},
                          {kHaruka, "E.R.L の命令系統が書き換えられているわ"},
                          {kHaruka, "迷わないで。あれはもう都市を守る機体じゃない"},
                          {kHaruka, "ゲージが三分の一たまるごとに、ボムが一発使えるわ"},
                          {kSena, "了解。弾より先に、覚悟が尽きそう"},
                          {kSena, "……E.R.L、どうして黙ったままなの"},
                          {kHaruka, "第二層を突破。中枢への航路が開いたわ"},
                          {kSys, "警告　高速飛行体　後方より接近"},
                          {kSys, "機種照合：迎撃型ラプター　多数"},
                          {kHaruka, "接近する反応の中に、有人機がひとつ……"},
                          {kSena, "有人機？　E.R.L の側に、人が乗ってる？"},
                      }};

// "#353": the first boss (rows 0–8 on the script, row 9 from the boss itself
// after its second barrage).
const Atlas kCh1Boss{353,
                     {
                         {kVeil, "ここから先は通さない。引き返しなさい"},
                         {kVeil, "E.R.L は眠っているだけ。起こさせはしない"},
                         {kHaruka, "この声……ヴェイル・クロウ！？　行方不明の第一期生よ"},
                         {kHaruka, "セナ、護衛機が来る！"},
                         {kHaruka, "左右から挟まれるわ、気をつけて！"},
                         {kVeil, "あなたも見たはず。環の外に何がいるのか"},
                         {kVeil, "E.R.L の沈黙は、都市を隠すための嘘なの"},
                         {kHaruka, "惑わされないで。まずは生き延びること！"},
                         {kSena, "話は後で聞く。今は、あなたを止める！"},
                         {kVeil, "エンプレスを抜けるなんて。少しは認めてあげる"},
                     }};

// "#359": result after the boss was destroyed.
const Atlas kCh1Won{359,
                    {
                        {kSena, "……やった、の？"},
                        {kHaruka, "敵大型機、沈黙。脱出ポッドを確認したわ"},
                        {kSys, "外縁防衛線　突破"},
                        {kSys, "中枢区画への進入路が開放されました"},
                        {kSena, "ヴェイル……まだ聞きたいことがある"},
                        {kHaruka, "補給を済ませて。中枢へ向かうわよ"},
                    }};

// "#360": result after the boss withdrew (row 1 is not shown by the script).
const Atlas kCh1Escaped{360,
                        {
                            {kSena, "逃げた……？　ううん、見逃されたんだ"},
                            {kHaruka, "追わないで。今は先へ進みましょう"},
                            {kSys, "敵大型機　中枢方向へ離脱"},
                            {kSys, "外縁防衛線　通過"},
                            {kSena, "次は逃がさない。答えを聞くまで"},
                            {kHaruka, "中枢へ向かうわ。気を引き締めて"},
                        }};

// ---- chapter 2 ------------------------------------------------------------------------------
// "#420": intro (rows 0–2) and the waves (rows 3–15).
const Atlas kCh2Waves{420,
                      {
                          {kSena, "ここが中枢……静かすぎる"},
                          {kHaruka, "E.R.L の本体はこの奥。通信が乱れてる、気をつけて"},
                          {kSys, "中枢区画　第一隔壁　開放"},
                          {kHaruka, "防衛機の配置が外縁と違う。中枢を囲むように動いてる"},
                          {kHaruka, "まるで、何かから中枢を守っているみたい"},
                          {kHaruka, "……セナ、外縁の観測記録を調べたの"},
                          {kSena, "何か分かった？"},
                          {kSena, "まさか、ヴェイルの言っていたことが本当だって……"},
                          {kHaruka, "環の外側で、正体不明の信号が増えているわ"},
                          {kHaruka, "E.R.L は、それに答えないために黙ったのかもしれない"},
                          {kHaruka, "でも、確かめるには中枢へ行くしかない"},
                          {kHaruka, "都市のみんなは、もう三日も空を見上げてる"},
                          {kSys, "警告　中枢防壁　起動"},
                          {kHaruka, "大きな反応……ヴェイルよ。新しい機体に乗ってる"},
                          {kSena, "今度こそ、話を聞かせてもらう"},
                          {kHaruka, "中枢まであと少し。必ず帰ってきて"},
                      }};

// "#421": the second boss (rows 0–25 on the script, row 26 from the boss itself
// after its third barrage).
const Atlas kCh2Boss{421,
                     {
                         {kVeil, "来たのね、セナ。この剣の機体で最後にする"},
                         {kVeil, "ジュディケイター。E.R.L が遺した裁きの剣よ"},
                         {kHaruka, "エネルギー反応、外縁の機体の三倍以上！"},
                         {kVeil, "怖いなら、ここで引き返しなさい"},
                         {kSena, "怖いよ。でも、引き返さない！"},
                         {kVeil, "あなたは知らない。E.R.L が何を聞いたのか"},
                         {kVeil, "環の外から、百年ぶりの呼び声が届いたの"},
                         {kVeil, "答えれば、都市の場所が知られてしまう"},
                         {kSena, "だから、都市ごと黙らせたの？"},
                         {kHaruka, "防衛機が人を撃ったのは、そのせいだって言うの！？"},
                         {kVeil, "撃ったのは、外へ出ようとした船だけよ"},
                         {kSena, "それでも、誰かが傷ついた。見過ごせない"},
                         {kVeil, "優しいのね。E.R.L もそうだった"},
                         {kVeil, "だから E.R.L は、わたしに剣を預けたの"},
                         {kHaruka, "セナ、中枢の扉が開きかけてる！"},
                         {kHaruka, "E.R.L が……こちらに呼びかけてるわ"},
                         {kHaruka, "『止めて』……そう言ってる！"},
                         {kVeil, "うそ……E.R.L、どうして"},
                         {kHaruka, "ヴェイル、もうやめて！　E.R.L は迷ってる！"},
                         {kSena, "一人で背負わないで。みんなで決めればいい！"},
                         {kVeil, "……百年、誰も決めなかったことを？"},
                         {kVeil, "それでも剣は止まらない。これが最後の型"},
                         {kVeil, "受けなさい、セナ。わたしの答えを！"},
                         {kSena, "受け止める。全部！"},
                         {kHaruka, "セナ、ゲージ全開！　行って！"},
                         {kVeil, "……見せて。あなたの答えを"},
                         {kVeil, "ダブルディザスターまで越えてくるなんて……本気なのね"},
                     }};

// "#422": result after the boss was destroyed.
const Atlas kCh2Won{422,
                    {
                        {kSena, "ヴェイル！　脱出して！"},
                        {kHaruka, "脱出ポッドの射出を確認。生きてるわ！"},
                        {kHaruka, "中枢の E.R.L、再起動を始めてる……"},
                        {kSena, "今度は、黙らないでいてくれるよね"},
                        {kSys, "E.R.L　通信回復　全都市へ接続"},
                        {kSys, "――聞こえますか。わたしは、ここにいます"},
                        {kSena, "聞こえるよ。外の声も、一緒に聞こう"},
                        {kHaruka, "帰還して、セナ。みんなが待ってる"},
                    }};

// "#423": result after the boss withdrew (row 1 is not shown by the script).
const Atlas kCh2Escaped{423,
                        {
                            {kSena, "ヴェイルが退いた……中枢の扉が開く"},
                            {kHaruka, "追わないで。扉の向こうを確かめましょう"},
                            {kHaruka, "E.R.L の声……かすかだけど届いてる"},
                            {kSena, "ヴェイルも、きっとこの声を聞いてる"},
                            {kSys, "E.R.L　通信を一部回復"},
                            {kSys, "――もう少しだけ、時間をください"},
                            {kSena, "待ってる。答えが出るまで、何度でも来るから"},
                            {kHaruka, "帰還して、セナ。続きはそれからよ"},
                        }};

struct Voice {
    const char* name;
    Rgb tone;
};

Voice VoiceOf(Who w)
{
    switch (w) {
    case kSena: return {"セナ", {0.45, 0.92, 1.0}};
    case kHaruka: return {"ハルカ", {0.5, 1.0, 0.55}};
    case kVeil: return {"ヴェイル", {1.0, 0.5, 0.68}};
    case kSys: break;
    }
    return {"", {1.0, 0.78, 0.35}};
}

bool DrawAtlas(Out& out, const Atlas& a)
{
    const int height = static_cast<int>(a.rows.size()) * 16;
    Canvas c(512, height);
    cairo_t* cr = c.cr();
    for (size_t r = 0; r < a.rows.size(); ++r) {
        const Line& l = a.rows[r];
        const Voice v = VoiceOf(l.who);
        const std::string name = l.who == kSys ? "" : std::string(v.name);
        const std::string body = l.who == kSys ? "《" + std::string(l.text) + "》" : "「" + std::string(l.text) + "」";
        // 13 pixels fits the 16-pixel row with the outline; a long line shrinks.
        Font f{kFontPGothic, 13.0, 0.0, true};
        double wName = 0, wBody = 0;
        for (;;) {
            wName = name.empty() ? 0.0 : TextWidth(cr, f, name);
            wBody = TextWidth(cr, f, body);
            if (wName + wBody <= 496 || f.size <= 10.0) break;
            f.size -= 0.5;
        }
        if (wName + wBody > 504) {
            std::fprintf(stderr, "pictures: talk line %d/%zu is too long\n", a.id, r);
            return false;
        }
        const double x = std::floor((512 - wName - wBody) / 2);
        const double base = 16.0 * static_cast<double>(r) + 12.5;
        // Clip to the row so no outline bleeds into the neighbouring lines.
        cairo_save(cr);
        cairo_rectangle(cr, 0, 16.0 * static_cast<double>(r), 512, 16);
        cairo_clip(cr);
        if (!name.empty()) DrawText(cr, f, x, base, name, v.tone, Align::kLeft, 1.6, col::kDeep);
        DrawText(cr, f, x + wName, base, body, l.who == kSys ? v.tone : Rgb{0.95, 0.97, 1.0}, Align::kLeft, 1.6,
                 col::kDeep);
        cairo_restore(cr);
    }
    return out.Save(c, a.id, Mode::kKeyed, 48, {0.0, 0.0, 0.0});
}

}  // namespace

bool DrawTalk(Out& out)
{
    bool ok = true;
    for (const Atlas* a :
         {&kCh1Waves, &kCh1Boss, &kCh1Won, &kCh1Escaped, &kCh2Waves, &kCh2Boss, &kCh2Won, &kCh2Escaped}) {
        ok = DrawAtlas(out, *a) && ok;
    }
    return ok;
}

}  // namespace pic
