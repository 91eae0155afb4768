#include "app/calculation_view.h"

namespace tallix {

void cmdLoad_Click(MainForm& form) {
  const Control& files = form["File1"];
  if (files.listIndex < 0 || static_cast<size_t>(files.listIndex) >= files.items.size()) {
    showLoad(form, {});
    return;
  }
  const std::string& name = files.items[static_cast<size_t>(files.listIndex)];
  showLoad(form, loadLog(form.AppPath, name, {form.partMinute()}));
}

void showLoad(MainForm& form, const LogLoad& load) {
  LoadLabels labels = loadLabels(load);
  form["lblCreated"].caption = std::move(labels.created);
  form["lblF2From"].caption = std::move(labels.from);
  form["lblF2To"].caption = std::move(labels.to);
  form["lblFirstR"].caption = std::move(labels.first);
  form["lblLastR"].caption = std::move(labels.last);
  form["lblUseTime"].caption = std::move(labels.useTime);
  Control& list = form["List1"];
  list.items = load.pairs.abandoned;
  list.listIndex = -1;
  for (const std::string& message : load.messages) AnswerOk(form, message);
}

}  // namespace tallix
