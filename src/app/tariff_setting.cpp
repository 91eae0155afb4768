#include "app/tariff_setting.h"

#include "app/budget.h"
#include "form/sentences.h"
#include "store/file_system.h"
#include "store/record_file.h"
#include "store/volume_file.h"

namespace tallix {
namespace {

// The most of tariff.ini the edit window shows.
constexpr long long kLongestEdit = 1024 * 1024;

constexpr std::string_view kTariffExample =
    "; No tariff yet, so no costs are shown. Take away the ; in front of the\n"
    "; lines you need and put in your own prices, then Save.\n"
    ";[Tariff]\n"
    ";currency = EUR       ; any text, shown after the amount\n"
    ";per_call = 0.10      ; charged once per connection\n"
    ";unit = 60            ; seconds in a charged unit: every unit begun is charged\n"
    ";price = 0.05         ; per unit\n"
    ";minimum = 0.20       ; the least a connection costs, per_call included\n"
    ";[Off-peak]           ; optional\n"
    ";days = Sat Sun       ; whole days at the off-peak price\n"
    ";hours = 21:00-07:00  ; hours of every day at the off-peak price\n"
    ";price = 0.02         ; per unit\n";

// Nothing but blanks and comments.
bool emptyText(std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    const size_t end = std::min(text.find('\n', at), text.size());
    const std::string_view line = text.substr(at, end - at);
    const size_t first = line.find_first_not_of(" \t\r");
    if (first != std::string_view::npos && line[first] != ';') return false;
    at = end + 1;
  }
  return true;
}

void useTariff(MainForm& form, std::optional<Tariff> tariff, std::string line) {
  form.tariff = std::move(tariff);
  form[form1::lblTariff].caption = std::move(line);
  form.budget.counted = false;  // the costs so far are counted again
}

std::string tariffLine(const Tariff& tariff) {
  const std::string currency = tariff.currency.empty() ? "" : " " + tariff.currency;
  std::string line = std::string(kTariffInUse) + amountText(tariff.price) + currency + " per " +
                     std::to_string(tariff.unit) + " s";
  if (tariff.pricesVolume())
    line += " and " + amountText(tariff.volumePrice) + currency + " per " +
            bytesText(static_cast<std::uint64_t>(tariff.unitBytes));
  return line;
}

}  // namespace

void loadTariff(MainForm& form) {
  const TariffFileState state = readTariffFile(form.file(kTariffFile));
  if (!state.present) {
    useTariff(form, std::nullopt, std::string(kNoTariff));
  } else if (state.reading.malformed()) {
    useTariff(form, std::nullopt, std::string(kTariffUnusable));
    AnswerOk(form, std::string(kTariffMalformed) + tariffProblem(kTariffFile, state.reading));
  } else {
    useTariff(form, state.reading.tariff, tariffLine(*state.reading.tariff));
  }
}

std::string tariffText(MainForm& form) {
  std::string bytes;
  PendingError error;
  form.tariffShape = {};
  // A file too long to be a tariff is shown as far as a window can hold it;
  // Save refuses it until it is short enough to be one.
  if (fileExists(form.file(kTariffFile)) && readWholeFile(form.file(kTariffFile), bytes, error, kLongestEdit))
    return textForEditing(bytes, form.tariffShape);
  return std::string(kTariffExample);
}

bool cmdTariffSave_Click(MainForm& form, std::string_view text) {
  PendingError error;
  const std::string path = form.file(kTariffFile);
  if (emptyText(text)) {
    if (fileExists(path)) deleteFile(path, error);
    if (reportFailure(form, kSavingTariff, error)) return false;
    useTariff(form, std::nullopt, std::string(kNoTariff));
  } else {
    // Refused here exactly as a start would refuse the file.
    const std::string bytes = textForFile(text, form.tariffShape);
    TariffReading reading = parseTariff(text);
    if (static_cast<long long>(bytes.size()) > kLongestTariff) reading = {std::nullopt, 0, "it is too long"};
    if (reading.malformed()) {
      AnswerOk(form, std::string(kTariffNotSaved) + tariffProblem("the text", reading));
      return false;
    }
    writeWholeFile(path, bytes, error);
    if (reportFailure(form, kSavingTariff, error)) return false;
    useTariff(form, reading.tariff, tariffLine(*reading.tariff));
  }
  refreshPeriodTime(form);
  return true;
}

}  // namespace tallix
