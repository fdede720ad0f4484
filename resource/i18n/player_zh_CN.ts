<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>AvPlayer</name>
    <message>
        <source>Video renderer is </source>
        <translation>视频渲染器</translation>
    </message>
    <message>
        <source>not availabe on your platform!</source>
        <translation>在此平台上不可用！</translation>
    </message>
    <message>
        <source>Can not use this renderer</source>
        <translation>无法使用此渲染器</translation>
    </message>
    <message>
        <source>Player error</source>
        <translation>播放器错误</translation>
    </message>
</context>
<context>
    <name>plxav::AVPlayer</name>
    <message>
        <source>Can not open %1: %2</source>
        <translation>无法打开 %1：%2</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1：%2</translation>
    </message>
</context>
</TS>
