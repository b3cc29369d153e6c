<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP" sourcelanguage="en_US">
<context>
    <name>message</name>
    <message>
        <source>The ROI holds %1 of %2 samples.</source>
        <translation>ROI のサンプルは %1 個です。</translation>
    </message>
</context>
</TS>
