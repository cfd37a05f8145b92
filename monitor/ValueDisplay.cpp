#include "ValueDisplay.h"

#include <QLineEdit>

#include "Uaverage.h"

void ShowScaledValue(double y, QLineEdit& eValue, RunningAverage& average,
                     const TfAverage* fAverage, const QLocale& locale) {
    eValue.setText(GeneralFormat(y, locale));
    if (!fAverage || !fAverage->isVisible()) {
        average.reset();
        return;
    }
    average.add(y);
    fAverage->eAvrage->setText(GeneralFormat(average.mean(), locale));
    fAverage->eSample->setText(QString::number(average.count()));
}
