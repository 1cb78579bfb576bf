#include <gtest/gtest.h>

#include "platform/fake/recording_canvas.h"
#include "text/cp1251.h"
#include "text/texts.h"
#include "ui/panels/settings.h"

namespace dw::ui {
namespace {

using Kind = CanvasCall::Kind;

TEST(ModemItem, SelectedItemInTheSelectionColourWithHighlightText) {
  RecordingCanvas canvas;
  const Rect item{0, 34, 460, 51};
  DrawModemItem(canvas, item, "Korvana GPRS Modem", {true, false});
  const auto& calls = canvas.calls();
  ASSERT_EQ(calls.size(), 2u) << "no focus rectangle without the focus";
  EXPECT_EQ(calls[0].kind, Kind::FillRect);
  EXPECT_EQ(calls[0].rect, item);
  EXPECT_EQ(calls[0].brush, Rgb(0x89, 0x66, 0xB5));
  EXPECT_EQ(calls[1].kind, Kind::TextRect);
  EXPECT_EQ(calls[1].rect, item) << "clipped to the item";
  EXPECT_EQ(calls[1].x, 5);
  EXPECT_EQ(calls[1].y, 34);
  EXPECT_EQ(calls[1].brush, Rgb(0x89, 0x66, 0xB5)) << "the text's own background";
  EXPECT_EQ(calls[1].fontColor, SystemColor(14));
  EXPECT_EQ(calls[1].text, "Korvana GPRS Modem");
}

TEST(ModemItem, UnselectedItemInTheListsOwnColoursAndTheFocusRectangleLast) {
  RecordingCanvas canvas;
  const Rect item{3, 17, 300, 34};
  const ModemListColours own{Rgb(1, 2, 3), Rgb(4, 5, 6), Rgb(7, 8, 9)};
  DrawModemItem(canvas, item, "\xCC\xEE\xE4\xE5\xEC", {false, true}, own);
  const auto& calls = canvas.calls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].brush, Rgb(1, 2, 3));
  EXPECT_EQ(calls[1].fontColor, Rgb(4, 5, 6));
  EXPECT_EQ(calls[1].x, 8) << "5 pixels from the list's edge, not the item's";
  EXPECT_EQ(calls[1].y, 17);
  EXPECT_EQ(calls[2].kind, Kind::FocusRect);
  EXPECT_EQ(calls[2].rect, item);
  // The default colours are the system's window colours.
  RecordingCanvas plain;
  DrawModemItem(plain, item, "x", {false, false});
  EXPECT_EQ(plain.calls()[0].brush, SystemColor(5));
  EXPECT_EQ(plain.calls()[1].fontColor, SystemColor(8));
}

TEST(ModemItem, HitTestBySeventeenPixelRowsFromTheTopItem) {
  // A list 460 x 68 (four rows) holding six items.
  EXPECT_EQ(ModemItemAt(0, 0, 460, 68, 0, 6), 0);
  EXPECT_EQ(ModemItemAt(459, 16, 460, 68, 0, 6), 0);
  EXPECT_EQ(ModemItemAt(10, 17, 460, 68, 0, 6), 1);
  EXPECT_EQ(ModemItemAt(10, 67, 460, 68, 0, 6), 3);
  EXPECT_EQ(ModemItemAt(10, 67, 460, 68, 2, 6), 5) << "scrolled by two items";
  // Outside the list, or below the last item.
  EXPECT_EQ(ModemItemAt(460, 5, 460, 68, 0, 6), -1);
  EXPECT_EQ(ModemItemAt(-1, 5, 460, 68, 0, 6), -1);
  EXPECT_EQ(ModemItemAt(10, -1, 460, 68, 0, 6), -1);
  EXPECT_EQ(ModemItemAt(10, 68, 460, 68, 0, 6), -1);
  EXPECT_EQ(ModemItemAt(10, 34, 460, 68, 0, 2), -1);
  EXPECT_EQ(ModemItemAt(10, 5, 460, 68, 0, 0), -1);
}

TEST(SettingsTexts, LetterForLetter) {
  // The note keeps its spelling ("обеспчение").
  EXPECT_EQ(Text(TextId::LabelDeviceNote),
            Utf8ToCp1251("Убедитесь, что Ваш мобильный телефон или другое устройство подключено к "
                         "компьютеру и программное обеспчение для него установлено и настроено"));
  EXPECT_EQ(Text(TextId::LinkRefresh), Utf8ToCp1251("Обновить"));
  EXPECT_EQ(Text(TextId::LabelChooseModem), Utf8ToCp1251("Выберите модем"));
  EXPECT_EQ(kSettingsLinkColour, Rgb(0x33, 0x00, 0x79));
  EXPECT_EQ(kRefreshLinkColour, Rgb(0x68, 0x54, 0x96));
}

}  // namespace
}  // namespace dw::ui
