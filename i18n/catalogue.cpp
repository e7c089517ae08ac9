#include "i18n/catalogue.h"

#include "app/globals.h"

namespace {

#define QX_WEB "   www.veldo.example"

// Rows in message order; columns English, simplified Chinese, traditional
// Chinese. Held as UTF-8 and handed to Qt as Unicode.
constexpr const char* Catalogue[MessageCount][LanguageCount] = {
    /*  0 */ {"VELDO Technology Corp." QX_WEB, "维朵股份有限公司" QX_WEB, "維朵股份有限公司" QX_WEB},
    /*  1 */ {"VELDO QX530RM-V3 Config V3.20-01", "VELDO QX530RM-V3 控制器设定程式 V3.20-01",
              "VELDO QX530RM-V3 控制器設定程式 V3.20-01"},
    /*  2 */ {"Start Scan Controller!", "请先扫描控制器!", "請先掃描控制器!"},
    /*  3 */ {"Cancel Auto Test", "取消自动测试", "取消自動測試"},
    /*  4 */ {"Cancel", "取消", "取消"},
    /*  5 */ {"Auto Test", "自动测试", "自動測試"},
    /*  6 */ {"Factory Default", "出厂预设", "出廠預設"},
    /*  7 */ {"Factory Test", "出厂测试", "出廠測試"},
    /*  8 */ {"Quick Setting", "快速设定", "快速設定"},
    /*  9 */ {"Test Card", "测试卡", "測試卡"},
    /* 10 */ {"Default", "预设", "預設"},
    /* 11 */ {"BaudRate", "通讯速度", "通訊速度"},
    /* 12 */ {"Set Baud Rate", "设定通讯速度", "設定通訊速度"},
    /* 13 */ {"Exit", "结束", "結束"},
    /* 14 */ {"Open COM", "开启串口", "開啟串口"},
    /* 15 */ {"Error", "错误", "錯誤"},
    /* 16 */ {"Scan Controller", "扫描控制器", "掃描控制器"},
    /* 17 */ {"QX530RM_  ID", "QX530RM_  ID", "QX530RM_  ID"},
    /* 18 */ {"VER", "版本", "版本"},
    /* 19 */ {"Scan COM", "扫描串口", "掃描串口"},
    /* 20 */ {"Get Controller Info Ok. (COM", "读取控制器资讯完成. (串口", "讀取控制器資訊完成. (串口"},
    /* 21 */ {"Get Controller Info Error. (COM", "读取控制器资讯错误. (串口", "讀取控制器資訊錯誤. (串口"},
    /* 22 */ {"Controller Not Find", "控制器没有连线", "控制器沒有連線"},
    /* 23 */ {"Set Date Time", "设定日期时间", "設定日期時間"},
    /* 24 */ {"Set Date Time Ok", "设定日期时间完成", "設定日期時間完成"},
    /* 25 */ {"Set Date Time Error", "设定日期时间错误", "設定日期時間錯誤"},
    /* 26 */ {"Alarm Test", "警报测试", "警報測試"},
    /* 27 */ {"Set Controller Alarm Test", "设定警报测试", "設定警報測試"},
    /* 28 */ {"Set Controller Alarm Test Ok", "设定警报测试完成", "設定警報測試完成"},
    /* 29 */ {"Set Controller Alarm Test Error", "设定警报测试错误", "設定警報測試錯誤"},
    /* 30 */ {"Add Reader and Card", "设定读卡机与卡片", "設定讀卡機與卡片"},
    /* 31 */ {"Add Reader and Card Ok", "设定读卡机与卡片完成", "設定讀卡機與卡片完成"},
    /* 32 */ {"Add Reader and Card Error", "设定读卡机与卡片错误", "設定讀卡機與卡片錯誤"},
    /* 33 */ {"Set Factory Default", "设定出厂预设值", "設定出廠預設值"},
    /* 34 */ {"Set Factory Default Ok", "设定出厂预设值完成", "設定出廠預設值完成"},
    /* 35 */ {"Set Factory Default Error", "设定出厂预设值错误", "設定出廠預設值錯誤"},
    /* 36 */ {"Set Module BaudRate", "设定模组通讯速度", "設定模組通訊速度"},
    /* 37 */ {"Set Module BaudRate Ok", "设定模组通讯速度完成", "設定模組通訊速度完成"},
    /* 38 */ {"Set Module BaudRate Error", "设定模组通讯速度错误", "設定模組通訊速度錯誤"},
    /* 39 */ {"Command", "指令测试", "指令測試"},
    /* 40 */ {"Test Command.", "", "指令測試"},
    /* 41 */ {"Test Command Ok.", "", "指令測試完成"},
    /* 42 */ {"Test Command Error!", "", "指令測試錯誤"},
    /* 43 */ {"Rec Command.", "", "接收指令"},
};

#undef QX_WEB

} // namespace

QString catalogueText(int message, int language) {
    return QString::fromUtf8(Catalogue[message][language]);
}

QString Msg(int message) {
    return catalogueText(message, LanguageNo);
}
