#pragma once

#include "platform/messages.h"

class QWidget;

namespace velkaro {

class QtMessages final : public Messages {
  public:
    explicit QtMessages(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }
    MessageAnswer Show(std::string_view title, std::string_view text, MessageButtons buttons,
                       MessageIcon icon) override;

  private:
    QWidget* parent_;
};

}  // namespace velkaro
