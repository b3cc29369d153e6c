<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="ja_JP">
<context>
    <name>ctiq</name>
    <message>
        <source>&apos;%1&apos; は整数ではありません</source>
        <translation>&apos;%1&apos; is not an integer</translation>
    </message>
    <message>
        <source>&apos;%1&apos; は浮動小数点数ではありません</source>
        <translation>&apos;%1&apos; is not a floating-point number</translation>
    </message>
    <message>
        <source>整数のオーバーフロー</source>
        <translation>Integer overflow</translation>
    </message>
    <message>
        <source>0 による除算</source>
        <translation>Division by zero</translation>
    </message>
    <message>
        <source>0 による浮動小数点数除算</source>
        <translation>Floating-point division by zero</translation>
    </message>
    <message>
        <source>無効な浮動小数点演算</source>
        <translation>Invalid floating-point operation</translation>
    </message>
    <message>
        <source>リストのインデックスが範囲を超えています (%1)</source>
        <translation>List index out of bounds (%1)</translation>
    </message>
    <message>
        <source>ファイル %1 は開けません</source>
        <translation>Cannot open file %1</translation>
    </message>
    <message>
        <source>ﾋﾟｸｾﾙ間隔(mm)を入力してください。</source>
        <translation>Enter the pixel spacing (mm).</translation>
    </message>
    <message>
        <source>トリミングした画像を保存しました。</source>
        <translation>The trimmed image has been saved.</translation>
    </message>
    <message>
        <source>表示データ点数</source>
        <translation>Number of data points shown</translation>
    </message>
    <message>
        <source>表示グリッド間隔</source>
        <translation>Grid interval shown</translation>
    </message>
    <message>
        <source>DICOM ツールキットはこの画像を表示できません: %1。ヘッダーは一覧にあります。</source>
        <translation>The DICOM toolkit cannot show this image: %1. The header is listed.</translation>
    </message>
    <message>
        <source>DICOM ツールキットがこのファイルの読み込み中に異常終了しました (クラッシュまたは制限)。このファイルは読み込みません。</source>
        <translation>The DICOM toolkit failed while reading this file (a crash or a limit); the file was refused.</translation>
    </message>
    <message>
        <source>DICOM ツールキットが別のプログラムを起動しようとしました。このファイルは読み込みません。</source>
        <translation>The DICOM toolkit tried to start another program; the file was refused.</translation>
    </message>
    <message>
        <source>DICOM ツールキットが時間内に読み込みを終えませんでした。このファイルは読み込みません。</source>
        <translation>The DICOM toolkit did not finish reading this file in time; the file was refused.</translation>
    </message>
    <message>
        <source>DICOM ツールキットの補助プログラム %1 を起動できません。</source>
        <translation>The DICOM toolkit helper %1 cannot be started.</translation>
    </message>
    <message>
        <source>このファイルには画像がありません (%1)。ヘッダーは一覧にあります。</source>
        <translation>This file holds no image (%1). The header is listed.</translation>
    </message>
    <message>
        <source>ファイル %1 は開けません (%2)</source>
        <translation>Cannot open file %1 (%2)</translation>
    </message>
    <message>
        <source>ファイルがありません</source>
        <translation>no such file</translation>
    </message>
    <message>
        <source>フォルダです</source>
        <translation>it is a folder</translation>
    </message>
    <message>
        <source>通常のファイルではありません</source>
        <translation>not a regular file</translation>
    </message>
    <message>
        <source>読み取りの権限がありません</source>
        <translation>no permission to read it</translation>
    </message>
    <message>
        <source>フォルダの最初のファイルです</source>
        <translation>The first file of the folder</translation>
    </message>
    <message>
        <source>フォルダの最後のファイルです</source>
        <translation>The last file of the folder</translation>
    </message>
</context>
<context>
    <name>caption</name>
    <message>
        <source>Colum</source>
        <translation>Column</translation>
    </message>
    <message>
        <source>Lebel</source>
        <translation>Level</translation>
    </message>
    <message>
        <source>Erement</source>
        <translation>Element</translation>
    </message>
    <message>
        <source>Haming</source>
        <translation>Hamming</translation>
    </message>
    <message>
        <source>Spatial frequency (cyckes/mm)</source>
        <translation>Spatial frequency (cycles/mm)</translation>
    </message>
    <message>
        <source>Log spatial frequency (cycles/mm))</source>
        <translation>Log spatial frequency (cycles/mm)</translation>
    </message>
</context>
</TS>
