#include "ConfigPageBase.h"

ConfigPageBase::ConfigPageBase(QWidget* parent)
    : QWidget(parent)
{ }

void ConfigPageBase::apply()
{
    applyToConfig();
}

void ConfigPageBase::cancel()
{
    applyToUi();
}

void ConfigPageBase::reset()
{
    applyToUi();
}
