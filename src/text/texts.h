// The program's fixed texts, in one place. The source keeps them as UTF-8;
// callers get code page 1251 bytes, the form RAS, the registry and the log use.
// To add a text, add one line to the table.
#pragma once

#include <string>
#include <string_view>

namespace dw {

#define DW_TEXTS(X)                                   \
  X(AppTitle, "Корвана Dialwave")                     \
  X(SingleInstanceMutex, "KorvanaDialwave")                           \
  X(ApnUpdateNotNeeded, "Обновление списка APN не требуется")         \
  X(UpdateRequestFailed, "Ошибка при запросе обновлений: ")           \
  X(UpdateReceiveFailed, "Ошибка при получении обновлений: ")         \
  X(UpdateBadFormat, "неверный формат ответа")                        \
  X(UpdateOtherAppVersion, "версия приложения отличается от запрошенной") \
  X(UpdateTooLong, "слишком длинный ответ")                           \
  X(UpdateUnsafeApn, "недопустимое имя APN в списке")                 \
  X(UpdateEmptyApnList, "пустой список APN")                        \
  X(MsgTitleWarning, "Внимание!")                                     \
  X(MsgTitleError, "Ошибка!")                                         \
  X(MsgTitleInfo, "Информация")                                       \
  X(MsgTitleConfirm, "Подтвердите")                                   \
  X(ButtonYes, "Да")                                                  \
  X(ButtonNo, "Нет")                                                  \
  X(ButtonOk, "ОК")                                                   \
  X(ButtonCancel, "Отменить")                                         \
  X(ConnBreakTitle, "Соединение прервано")                            \
  X(ConnBreakQuestion, "Соединение с Интернет прервано. Восстановить?") \
  X(ConnBreakAuto, "Восстанавливать автоматически")                   \
  X(ProgressTitle, "Установка соединения")                            \
  X(ProgressInitial, "...")                                           \
  X(ProgressClose, "Закрыть")                                         \
  X(ProgressDetailsOpen, "Детали >>")                                 \
  X(ProgressDetailsClose, "<< Детали")                                \
  X(ProgressUserCancelled, "Пользователь отменил соединение...")   \
  X(RasConfigError, "Во время работы программы возникла ошибка конфигурации системы. Восстановление требует перезагрузки.") \
  X(ModemNoRights, "Ошибка: недостаточно прав для настройки соединения") \
  X(QuestionTitle, "Error")                                           \
  X(QuestionYes, "&Yes")                                              \
  X(QuestionNo, "&No")                                                \
  X(OtherApnConnected, "Ошибка: Выбраный модем соединен через другой APN. Отсоединить?")

enum class TextId {
#define DW_TEXT_ID(id, utf8) id,
  DW_TEXTS(DW_TEXT_ID)
#undef DW_TEXT_ID
      Count
};

// The text as code page 1251 bytes.
const std::string& Text(TextId id);

// The text as written in the source (UTF-8), for tests and terminals.
std::string_view TextUtf8(TextId id);

}  // namespace dw
