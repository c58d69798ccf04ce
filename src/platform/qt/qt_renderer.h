// The Qt renderer of the form model: one FormWindow per loaded window, shown and destroyed as
// the model asks, and the end of the event loop once the last window has gone.
#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <map>

#include "platform/app_services.h"
#include "platform/forms/application.h"
#include "platform/qt/form_window.h"

namespace pakscour::qt {

class QtRenderer : public forms::Renderer {
  public:
    // Registers itself as the application's renderer. Needs a QApplication.
    QtRenderer(forms::Application& app, AppServices& services);
    ~QtRenderer() override;
    QtRenderer(const QtRenderer&) = delete;
    QtRenderer& operator=(const QtRenderer&) = delete;

    void create(forms::Form& f) override;
    void show(forms::Form& f) override;
    void destroy(forms::Form& f) override;
    void last_window_closed() override;
    std::uintptr_t native_handle(const forms::Form& f) const override;

    // The window of a loaded form, or nullptr.
    FormWindow* window(const forms::Form& f) const;
    // Pixels per inch used for twips.
    double dpi() const { return dpi_; }

  private:
    forms::Application& app_;
    AppServices& services_;
    double dpi_;
    std::map<const forms::Form*, QPointer<FormWindow>> windows_;
    QObject context_;
};

}  // namespace pakscour::qt
