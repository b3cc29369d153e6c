<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP" sourcelanguage="en_US">
<context>
    <name>cli</name>
    <message>
        <source>--plot draws the chart of one file at a time</source>
        <translation>--plot は一度に一つのファイルのグラフを描きます</translation>
    </message>
    <message>
        <source>--plot is not available here</source>
        <translation>--plot はここでは使えません</translation>
    </message>
    <message>
        <source>--mode takes 8bit, 16bit or dicom, not &apos;%1&apos;</source>
        <translation>--mode には 8bit、16bit または dicom を指定してください（&apos;%1&apos; は指定できません）</translation>
    </message>
    <message>
        <source>--direction takes x or y</source>
        <translation>--direction には x または y を指定してください</translation>
    </message>
    <message>
        <source>--lines takes a line count from %1 to %2, not %3</source>
        <translation>--lines には %1 から %2 までのライン数を指定してください（%3 は指定できません）</translation>
    </message>
    <message>
        <source>--table takes mtf, lsf, width or points, not &apos;%1&apos;</source>
        <translation>--table には mtf、lsf、width または points を指定してください（&apos;%1&apos; は指定できません）</translation>
    </message>
    <message>
        <source>--window takes rect or hamming</source>
        <translation>--window には rect または hamming を指定してください</translation>
    </message>
    <message>
        <source>--hamming-scale takes amplitude or power, not &apos;%1&apos;</source>
        <translation>--hamming-scale には amplitude または power を指定してください（&apos;%1&apos; は指定できません）</translation>
    </message>
    <message>
        <source>--table takes spectrum, acf or smooth, not &apos;%1&apos;</source>
        <translation>--table には spectrum、acf または smooth を指定してください（&apos;%1&apos; は指定できません）</translation>
    </message>
    <message>
        <source>the phantom is point, noise, uniform or disk, not &apos;%1&apos;</source>
        <translation>ファントムは point、noise、uniform または disk です（&apos;%1&apos; ではありません）</translation>
    </message>
    <message>
        <source>--profile takes gaussian or exponential, not &apos;%1&apos;</source>
        <translation>--profile には gaussian または exponential を指定してください（&apos;%1&apos; は指定できません）</translation>
    </message>
    <message>
        <source>dprime needs --ttf TTF.jsonl, --nps NPS.jsonl and --task disk:DIAMETER_MM:CONTRAST_HU</source>
        <translation>dprime には --ttf TTF.jsonl、--nps NPS.jsonl と --task disk:直径_MM:コントラスト_HU が必要です</translation>
    </message>
    <message>
        <source>--observer takes npw, npwe or both, not &apos;%1&apos;</source>
        <translation>--observer には npw、npwe または both を指定してください（&apos;%1&apos; は指定できません）</translation>
    </message>
    <message>
        <source>--%1 takes an integer, not &apos;%2&apos;</source>
        <translation>--%1 には整数を指定してください（&apos;%2&apos; は整数ではありません）</translation>
    </message>
    <message>
        <source>--%1 takes a number, not &apos;%2&apos;</source>
        <translation>--%1 には数値を指定してください（&apos;%2&apos; は数値ではありません）</translation>
    </message>
    <message>
        <source>--%1 takes integers separated by commas, not &apos;%2&apos;</source>
        <translation>--%1 にはカンマで区切った整数を指定してください（&apos;%2&apos; は指定できません）</translation>
    </message>
    <message>
        <source>--%1 takes numbers separated by commas, not &apos;%2&apos;</source>
        <translation>--%1 にはカンマで区切った数値を指定してください（&apos;%2&apos; は指定できません）</translation>
    </message>
    <message>
        <source>--%1 takes %2 integers separated by commas, not &apos;%3&apos;</source>
        <translation>--%1 にはカンマで区切った %2 個の整数を指定してください（&apos;%3&apos; は指定できません）</translation>
    </message>
    <message>
        <source>--%1 takes %2 numbers separated by commas, not &apos;%3&apos;</source>
        <translation>--%1 にはカンマで区切った %2 個の数値を指定してください（&apos;%3&apos; は指定できません）</translation>
    </message>
    <message>
        <source>no command given</source>
        <translation>コマンドが指定されていません</translation>
    </message>
    <message>
        <source>unknown command &apos;%1&apos;</source>
        <translation>不明なコマンド &apos;%1&apos;</translation>
    </message>
    <message>
        <source>report: put --mtf, --nps, --nps2d or --ttf before &apos;%1&apos;</source>
        <translation>report: &apos;%1&apos; の前に --mtf、--nps、--nps2d または --ttf を置いてください</translation>
    </message>
    <message>
        <source>unknown option &apos;%1&apos; for %2</source>
        <translation>%2 には不明なオプション &apos;%1&apos;</translation>
    </message>
    <message>
        <source>option &apos;%1&apos; needs a value</source>
        <translation>オプション &apos;%1&apos; には値が必要です</translation>
    </message>
    <message>
        <source>--format takes text or json, not &apos;%1&apos;</source>
        <translation>--format には text または json を指定してください（&apos;%1&apos; は指定できません）</translation>
    </message>
    <message>
        <source>selftest takes no file</source>
        <translation>selftest はファイルを取りません</translation>
    </message>
    <message>
        <source>phantom takes a kind (point, noise, uniform, disk) and OUT</source>
        <translation>phantom には種類（point、noise、uniform、disk）と出力先 OUT を指定してください</translation>
    </message>
    <message>
        <source>dprime takes no file: give --ttf and --nps</source>
        <translation>dprime はファイルを取りません: --ttf と --nps を指定してください</translation>
    </message>
    <message>
        <source>no file given</source>
        <translation>ファイルが指定されていません</translation>
    </message>
    <message>
        <source>%1 takes one file</source>
        <translation>%1 はファイルを一つだけ取ります</translation>
    </message>
    <message>
        <source>report needs -o REPORT.html</source>
        <translation>report には -o REPORT.html が必要です</translation>
    </message>
    <message>
        <source>report needs images: --mtf POINT_IMAGE..., --nps UNIFORM_IMAGE..., --nps2d UNIFORM_SLICE... and/or --ttf INSERT_SLICE...</source>
        <translation>report には画像が必要です: --mtf 点像..., --nps 一様画像..., --nps2d 一様スライス... と --ttf インサートのスライス... のいずれか</translation>
    </message>
    <message>
        <source>--detrend takes mean, plane or quadratic, not &apos;%1&apos;</source>
        <translation>--detrend には mean、plane または quadratic を指定してください（&apos;%1&apos; は指定できません）</translation>
    </message>
    <message>
        <source>--spectrum-image writes a .pgm file, not &apos;%1&apos;</source>
        <translation>--spectrum-image は .pgm ファイルを書きます（&apos;%1&apos; は指定できません）</translation>
    </message>
    <message>
        <source>--full adds the 2-D spectrum to --format json</source>
        <translation>--full は --format json に 2 次元スペクトルを加えます</translation>
    </message>
    <message>
        <source>ttf needs --centre X,Y and --radius R (pixels)</source>
        <translation>ttf には --centre X,Y と --radius R（ピクセル）が必要です</translation>
    </message>
    <message>
        <source>%1 does not take --roi; --region X,Y,W,H places its ROIs</source>
        <translation>%1 は --roi を取りません。ROI の位置は --region X,Y,W,H で指定します</translation>
    </message>
    <message>
        <source>%1 does not take --roi</source>
        <translation>%1 は --roi を取りません</translation>
    </message>
</context>
</TS>
