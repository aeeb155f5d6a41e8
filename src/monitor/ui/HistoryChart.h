#pragma once

#include "monitor/MonitorScan.h"

#include <QChartView>
#include <QColor>

class QLineSeries;
class QValueAxis;

// The colours of an alarm state: the alarm text's (an invalid colour means the system's
// window-text colour) and the graph point's.
QColor AlarmTextColour(int alarmState);
QColor AlarmPointColour(int alarmState);

// "Value vs. Time (seconds)": the monitor's last 25 values as one line series "Value", each
// point in the colour of the alarm state it was read with.
class THistoryChart : public QChartView
{
    Q_OBJECT

public:
    explicit THistoryChart(QWidget *parent = nullptr);

    // Redraws the series and the axes from the history.
    void ShowHistory(const TValueHistory &history);

    QLineSeries *Series() const { return m_series; }
    QValueAxis *AxisX() const { return m_axisX; }
    QValueAxis *AxisY() const { return m_axisY; }

private:
    QLineSeries *m_series;
    QValueAxis *m_axisX;
    QValueAxis *m_axisY;
};
