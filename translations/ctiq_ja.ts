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
    <message>
        <source>--frames takes all, N or A-B (frames counted from 1), not &apos;%1&apos;</source>
        <translation>--frames には all、N または A-B（フレームは 1 から数えます）を指定してください（&apos;%1&apos; は指定できません）</translation>
    </message>
    <message>
        <source>give --frame or --frames, not both</source>
        <translation>--frame と --frames はどちらか一方だけを指定してください</translation>
    </message>
    <message>
        <source>--frame counts from 1, not &apos;%1&apos;</source>
        <translation>--frame は 1 から数えます（&apos;%1&apos; は指定できません）</translation>
    </message>
</context>
<context>
    <name>message</name>
    <message>
        <source>The pixel spacing (%1) is %2; it must be a positive number of millimetres.</source>
        <translation>ピクセル間隔（%1）が %2 です。正の数（mm）を指定してください。</translation>
    </message>
    <message>
        <source>not a finite number</source>
        <translation>有限の数ではありません</translation>
    </message>
    <message>
        <source>The file %1 could not be written: %2. Nothing was saved.</source>
        <translation>ファイル %1 に書き込めません: %2。何も保存していません。</translation>
    </message>
    <message>
        <source>it is a symbolic link</source>
        <translation>シンボリックリンクです</translation>
    </message>
    <message>
        <source>it is a folder</source>
        <translation>フォルダです</translation>
    </message>
    <message>
        <source>it is a FIFO (named pipe)</source>
        <translation>FIFO（名前付きパイプ）です</translation>
    </message>
    <message>
        <source>it is a device</source>
        <translation>デバイスです</translation>
    </message>
    <message>
        <source>it is a socket</source>
        <translation>ソケットです</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>通常のファイルではありません</translation>
    </message>
    <message>
        <source>its folder %1 holds devices or kernel files</source>
        <translation>そのフォルダ %1 はデバイスやカーネルのファイルを置く場所です</translation>
    </message>
    <message>
        <source>it is read-only</source>
        <translation>読み取り専用です</translation>
    </message>
    <message>
        <source>it cannot be created</source>
        <translation>作成できません</translation>
    </message>
    <message>
        <source>the disk refused the data</source>
        <translation>ディスクがデータを受け付けませんでした</translation>
    </message>
    <message>
        <source>the disk took only part of it</source>
        <translation>ディスクにデータの一部しか書き込めませんでした</translation>
    </message>
    <message>
        <source>The ROI is empty (%1 × %2 samples); drag or type a positive size.</source>
        <translation>ROI が空です（%1 × %2 サンプル）。ドラッグするか正のサイズを入力してください。</translation>
    </message>
    <message>
        <source>The ROI (rows %1 to %2, columns %3 to %4) reaches outside the image (%5 rows, %6 columns).</source>
        <translation>ROI（行 %1～%2、列 %3～%4）が画像（%5 行、%6 列）の外にはみ出しています。</translation>
    </message>
    <message>
        <source>The image fields must not be negative: %1.</source>
        <translation>画像の設定値は負にできません: %1。</translation>
    </message>
    <message>
        <source>The image fields describe more image than the file holds: %1 do not fit in the file&apos;s %2 bytes.</source>
        <translation>画像の設定値がファイルより大きな画像を示しています: %1 はファイルの %2 バイトに収まりません。</translation>
    </message>
    <message>
        <source>header %1 + %2 × %3 × %4 bytes</source>
        <translation>ヘッダー %1 + %2 × %3 × %4 バイト</translation>
    </message>
    <message>
        <source>The file %1 holds %2 bytes, more than an image file can (at most %3 bytes); it was not read.</source>
        <translation>ファイル %1 は %2 バイトあり、画像ファイルの上限（%3 バイト）を超えています。読み込んでいません。</translation>
    </message>
    <message>
        <source>The %1 of this image is &apos;%2&apos;, which is not a number; its CT values cannot be computed.</source>
        <translation>この画像の %1 は &apos;%2&apos; で、数値ではありません。CT 値を計算できません。</translation>
    </message>
    <message>
        <source>The %1 of this image is &apos;%2&apos;, which no CT value can be computed with.</source>
        <translation>この画像の %1 は &apos;%2&apos; で、CT 値を計算できない値です。</translation>
    </message>
    <message>
        <source>The Rescale Slope of this image is %1: every CT value would be the intercept; it cannot be measured.</source>
        <translation>この画像の Rescale Slope は %1 です。すべての CT 値が切片と同じになるため、計測できません。</translation>
    </message>
    <message>
        <source>its %1 is not a number</source>
        <translation>%1 が数値ではありません</translation>
    </message>
    <message>
        <source>it has %1 samples per pixel; only grey images (1 sample per pixel) can be shown and measured</source>
        <translation>1 ピクセルあたり %1 サンプルあります。表示・計測できるのはグレー画像（1 ピクセルあたり 1 サンプル）だけです</translation>
    </message>
    <message>
        <source>its photometric interpretation is %1; only grey images (MONOCHROME1 or MONOCHROME2) can be shown and measured</source>
        <translation>Photometric Interpretation が %1 です。表示・計測できるのはグレー画像（MONOCHROME1 または MONOCHROME2）だけです</translation>
    </message>
    <message>
        <source>its Pixel Representation is %1, neither 0 (unsigned) nor 1 (signed)</source>
        <translation>Pixel Representation が %1 で、0（符号なし）でも 1（符号付き）でもありません</translation>
    </message>
    <message>
        <source>it stores %1 bits in samples of %2</source>
        <translation>%2 ビットのサンプルに %1 ビットを格納しています</translation>
    </message>
    <message>
        <source>its High Bit is %1 for %2 bits stored</source>
        <translation>格納ビット数 %2 に対して High Bit が %1 です</translation>
    </message>
    <message>
        <source>its Number of Frames is %1</source>
        <translation>Number of Frames が %1 です</translation>
    </message>
    <message>
        <source>--frame chooses a frame of a DICOM file; %1 is read as one image.</source>
        <translation>--frame は DICOM ファイルのフレームを選びます。%1 は 1 枚の画像として読み込まれます。</translation>
    </message>
    <message>
        <source>The size of %1 is neither in its name nor in a DICOM header; give --size COLS,ROWS.</source>
        <translation>%1 のサイズはファイル名にも DICOM ヘッダーにもありません。--size 列数,行数 を指定してください。</translation>
    </message>
    <message>
        <source>The DICOM header breaks inside element %1, before every value its CT values need was read (the pixel description, the rescale); it cannot be measured. The header is listed as far as it could be read.</source>
        <translation>DICOM ヘッダーが要素 %1 の途中で切れており、CT 値に必要な値（ピクセルの記述、リスケール）をすべて読む前に終わっています。計測できません。ヘッダーは読めたところまで一覧にあります。</translation>
    </message>
    <message>
        <source>its stored values are mapped through a Modality LUT Sequence, which is not supported (only Rescale Slope and Intercept)</source>
        <translation>格納値が Modality LUT Sequence で変換されますが、これには対応していません（対応しているのは Rescale Slope と Intercept だけです）</translation>
    </message>
    <message>
        <source>This image cannot be measured: %1.</source>
        <translation>この画像は計測できません: %1。</translation>
    </message>
    <message>
        <source>The file holds %1 frame; there is no frame %2.</source>
        <translation>このファイルのフレームは %1 枚です。フレーム %2 はありません。</translation>
    </message>
    <message>
        <source>The file holds %1 frames; there is no frame %2.</source>
        <translation>このファイルのフレームは %1 枚です。フレーム %2 はありません。</translation>
    </message>
    <message>
        <source>The file ends inside the pixels of this image, whose CT values must be computed from its rescale; it cannot be measured.</source>
        <translation>ファイルがこの画像のピクセルの途中で終わっています。この画像の CT 値はリスケールから計算する必要があるため、計測できません。</translation>
    </message>
    <message>
        <source>The CT values of this image (Rescale Slope %1 × stored value + Rescale Intercept %2) reach %3, beyond the 16-bit range (-32768 to 32767) the measurements hold; it cannot be measured.</source>
        <translation>この画像の CT 値（Rescale Slope %1 × 格納値 + Rescale Intercept %2）が %3 に達し、計測で扱える 16 ビットの範囲（-32768～32767）を超えます。計測できません。</translation>
    </message>
    <message>
        <source>its compressed data holds %1 samples, the header says %2</source>
        <translation>圧縮データは %1 サンプルですが、ヘッダーでは %2 です</translation>
    </message>
    <message>
        <source>its compressed data holds %1 components per sample, the header says %2</source>
        <translation>圧縮データはサンプルあたり %1 成分ですが、ヘッダーでは %2 です</translation>
    </message>
    <message>
        <source>its compressed data holds %1-bit samples, the header allocates %2 bits</source>
        <translation>圧縮データは %1 ビットのサンプルですが、ヘッダーでは %2 ビットを割り当てています</translation>
    </message>
    <message>
        <source>its frame header (%1) is cut short</source>
        <translation>フレームヘッダー（%1）が途中で切れています</translation>
    </message>
    <message>
        <source>its compressed data has a %1 frame header (%2) where its transfer syntax says %3</source>
        <translation>転送構文は %3 ですが、圧縮データのフレームヘッダー（%2）は %1 のものです</translation>
    </message>
    <message>
        <source>its compressed data does not begin with a start of image (FFD8)</source>
        <translation>圧縮データが画像の開始（FFD8）で始まっていません</translation>
    </message>
    <message>
        <source>its compressed data ends before a frame header</source>
        <translation>圧縮データがフレームヘッダーの前で終わっています</translation>
    </message>
    <message>
        <source>its compressed data has no marker at byte %1 before a frame header</source>
        <translation>圧縮データのフレームヘッダーより前、バイト %1 にマーカーがありません</translation>
    </message>
    <message>
        <source>its compressed data reaches %1 before a frame header</source>
        <translation>圧縮データがフレームヘッダーより前に %1 に達しています</translation>
    </message>
    <message>
        <source>its compressed data has a segment (%1) that runs past its end</source>
        <translation>圧縮データのセグメント（%1）がデータの終わりを越えています</translation>
    </message>
    <message>
        <source>its compressed data does not begin with a JPEG 2000 start of codestream (FF4F) and size segment (FF51)</source>
        <translation>圧縮データが JPEG 2000 のコードストリーム開始（FF4F）とサイズセグメント（FF51）で始まっていません</translation>
    </message>
    <message>
        <source>its JPEG 2000 size segment is cut short</source>
        <translation>JPEG 2000 のサイズセグメントが途中で切れています</translation>
    </message>
    <message>
        <source>its JPEG 2000 size segment is %1 bytes long for %2 components</source>
        <translation>JPEG 2000 のサイズセグメントが %2 成分に対して %1 バイトです</translation>
    </message>
    <message>
        <source>its compressed data has an impossible image size</source>
        <translation>圧縮データの画像サイズがありえない値です</translation>
    </message>
    <message>
        <source>its compressed data subsamples its samples (%1 × %2)</source>
        <translation>圧縮データがサンプルを間引いています（%1 × %2）</translation>
    </message>
    <message>
        <source>its JP2 file holds no codestream box its boxes lead to</source>
        <translation>JP2 ファイルのボックスをたどってもコードストリームのボックスがありません</translation>
    </message>
    <message>
        <source>its RLE header gives %1 segments; it can hold 1 to 15</source>
        <translation>RLE ヘッダーのセグメント数が %1 です。1～15 でなければなりません</translation>
    </message>
    <message>
        <source>its RLE data holds %1 segments, the header needs %2</source>
        <translation>RLE データのセグメントは %1 個ですが、ヘッダーからは %2 個必要です</translation>
    </message>
    <message>
        <source>its RLE header puts segment %1 at byte %2 of %3</source>
        <translation>RLE ヘッダーがセグメント %1 を %3 バイト中のバイト %2 に置いています</translation>
    </message>
    <message>
        <source>its RLE header is cut short</source>
        <translation>RLE ヘッダーが途中で切れています</translation>
    </message>
    <message>
        <source>its RLE segment %1 decodes to %2 bytes, the header&apos;s %3 samples need %4</source>
        <translation>RLE セグメント %1 を展開すると %2 バイトですが、ヘッダーの %3 サンプルには %4 バイト必要です</translation>
    </message>
    <message>
        <source>its samples take %1 bits; only 8- and 16-bit samples can be shown and measured</source>
        <translation>サンプルが %1 ビットです。表示・計測できるのは 8 ビットと 16 ビットのサンプルだけです</translation>
    </message>
    <message>
        <source>its compression is not one the toolkit helper checks</source>
        <translation>この圧縮形式はツールキットの補助プログラムが検査する形式ではありません</translation>
    </message>
    <message>
        <source>its sequences nest more than %1 deep, which no real file does</source>
        <translation>シーケンスの入れ子が %1 段を超えています（実際のファイルにはありえません）</translation>
    </message>
    <message>
        <source>it holds more than %1 elements, which no real file does</source>
        <translation>要素が %1 個を超えています（実際のファイルにはありえません）</translation>
    </message>
    <message>
        <source>its elements declare lengths that run past the end of the file</source>
        <translation>要素の長さがファイルの終わりを越えています</translation>
    </message>
    <message>
        <source>%1 frame</source>
        <translation>%1 フレーム</translation>
    </message>
    <message>
        <source>%1 frames</source>
        <translation>%1 フレーム</translation>
    </message>
    <message>
        <source>its extended offset table lists %1, the header says %2</source>
        <translation>Extended Offset Table には %1 ありますが、ヘッダーでは %2 です</translation>
    </message>
    <message>
        <source>its basic offset table lists %1, the header says %2</source>
        <translation>Basic Offset Table には %1 ありますが、ヘッダーでは %2 です</translation>
    </message>
    <message>
        <source>its extended offset table puts frame %1 at byte %2, where no fragment after the previous frame&apos;s begins</source>
        <translation>Extended Offset Table はフレーム %1 をバイト %2 に置いていますが、そこから始まるフラグメントは前のフレームより後にありません</translation>
    </message>
    <message>
        <source>its basic offset table puts frame %1 at byte %2, where no fragment after the previous frame&apos;s begins</source>
        <translation>Basic Offset Table はフレーム %1 をバイト %2 に置いていますが、そこから始まるフラグメントは前のフレームより後にありません</translation>
    </message>
    <message>
        <source>its extended offset table lists %1 offsets and %2 lengths</source>
        <translation>Extended Offset Table にオフセットが %1 個、長さが %2 個あります</translation>
    </message>
    <message>
        <source>its extended offset table gives frame %1 %2 bytes, its fragments hold %3</source>
        <translation>Extended Offset Table ではフレーム %1 が %2 バイトですが、フラグメントには %3 バイトしかありません</translation>
    </message>
    <message>
        <source>it has %1 fragments for %2 and no offset table to tell them apart</source>
        <translation>%2 に対してフラグメントが %1 個あり、それらを区別するオフセットテーブルがありません</translation>
    </message>
    <message>
        <source>without an offset table, its fragments begin %1 codestreams for %2</source>
        <translation>オフセットテーブルがなく、フラグメントから始まるコードストリームが %2 に対して %1 個です</translation>
    </message>
    <message>
        <source>it says it has %1</source>
        <translation>%1 あると記述されています</translation>
    </message>
    <message>
        <source>its pixel data holds no fragments</source>
        <translation>ピクセルデータにフラグメントがありません</translation>
    </message>
    <message>
        <source>its decoded JPEG 2000 image has %1 components, the header says 1</source>
        <translation>展開した JPEG 2000 画像は %1 成分ですが、ヘッダーでは 1 です</translation>
    </message>
    <message>
        <source>its decoded JPEG 2000 image is not the header&apos;s</source>
        <translation>展開した JPEG 2000 画像がヘッダーの記述と一致しません</translation>
    </message>
    <message>
        <source>its HTJ2K samples are signed, which this system&apos;s OpenJPEG does not decode reliably (negative values come out clipped)</source>
        <translation>HTJ2K のサンプルが符号付きです。このシステムの OpenJPEG は符号付きのサンプルを正しく展開できません（負の値が切り詰められます）</translation>
    </message>
    <message>
        <source>OpenJPEG could not be set up</source>
        <translation>OpenJPEG を準備できません</translation>
    </message>
    <message>
        <source>OpenJPEG could not decode its codestream</source>
        <translation>OpenJPEG がコードストリームを展開できません</translation>
    </message>
    <message>
        <source>reading it needs more memory than a file of its size may take</source>
        <translation>読み込みに、この大きさのファイルに許されるより多くのメモリが必要です</translation>
    </message>
    <message>
        <source>the DICOM toolkit stopped: %1</source>
        <translation>DICOM ツールキットが停止しました: %1</translation>
    </message>
    <message>
        <source>it is a colour image (%1 samples per pixel); only grey images can be shown and measured</source>
        <translation>カラー画像です（1 ピクセルあたり %1 サンプル）。表示・計測できるのはグレー画像だけです</translation>
    </message>
    <message>
        <source>its photometric interpretation is %1; only MONOCHROME1 and MONOCHROME2 images can be shown and measured</source>
        <translation>Photometric Interpretation が %1 です。表示・計測できるのは MONOCHROME1 と MONOCHROME2 の画像だけです</translation>
    </message>
    <message>
        <source>its header says it stores %1 bits (BitsStored) in samples of %2 (BitsAllocated)</source>
        <translation>ヘッダーでは %2 ビット（BitsAllocated）のサンプルに %1 ビット（BitsStored）を格納しています</translation>
    </message>
    <message>
        <source>its header gives HighBit %1 for %2 bits stored; it must be %3</source>
        <translation>ヘッダーの HighBit が格納ビット数 %2 に対して %1 です。%3 でなければなりません</translation>
    </message>
    <message>
        <source>its header gives PixelRepresentation %1; only 0 (unsigned) and 1 (signed) are defined</source>
        <translation>ヘッダーの PixelRepresentation が %1 です。定義されているのは 0（符号なし）と 1（符号付き）だけです</translation>
    </message>
    <message>
        <source>its header says %1 × %2 samples of %3 bits, its pixel data %4 × %5 of %6</source>
        <translation>ヘッダーでは %3 ビットのサンプルが %1 × %2 ですが、ピクセルデータは %6 ビットで %4 × %5 です</translation>
    </message>
    <message>
        <source>its decoded frame would take %1 bytes, not the %2 its header gives</source>
        <translation>展開したフレームは %1 バイトになり、ヘッダーの %2 バイトと一致しません</translation>
    </message>
    <message>
        <source>its pixel data (%1) could not be decoded</source>
        <translation>ピクセルデータ（%1）を展開できません</translation>
    </message>
    <message>
        <source>its pixel data is shorter than %1 frames of %2 × %3 samples</source>
        <translation>ピクセルデータが %2 × %3 サンプルの %1 フレームより短いです</translation>
    </message>
    <message>
        <source>the DICOM toolkit could not read its image</source>
        <translation>DICOM ツールキットが画像を読み込めません</translation>
    </message>
    <message>
        <source>it has no frame %1</source>
        <translation>フレーム %1 がありません</translation>
    </message>
    <message>
        <source>it declares frames of %1 MiB, more than the %2 MiB any CT image needs</source>
        <translation>フレームの大きさが %1 MiB と記述されており、CT 画像に必要な %2 MiB を超えています</translation>
    </message>
    <message>
        <source>its transfer syntax %1 is not supported as written (its UID element is not 24 bytes long)</source>
        <translation>転送構文 %1 はこの書き方では対応していません（UID 要素の長さが 24 バイトではありません）</translation>
    </message>
    <message>
        <source>the DICOM toolkit found no data set in it</source>
        <translation>DICOM ツールキットがデータセットを見つけられません</translation>
    </message>
    <message>
        <source>its transfer syntax %1 is not supported</source>
        <translation>転送構文 %1 には対応していません</translation>
    </message>
    <message>
        <source>The pixel data of this file is compressed (transfer syntax %1); only uncompressed images can be shown and measured. The header is listed.</source>
        <translation>このファイルのピクセルデータは圧縮されています（転送構文 %1）。表示・計測できるのは非圧縮の画像だけです。ヘッダーは一覧にあります。</translation>
    </message>
    <message>
        <source>The folder %1 cannot be listed: %2</source>
        <translation>フォルダ %1 の一覧を取得できません: %2</translation>
    </message>
    <message>
        <source>The shown part of the image (rows %1 to %2, columns %3 to %4) reaches outside the image; set the magnification to 1.0 or more and the shift to 0 to turn it.</source>
        <translation>表示している部分（行 %1～%2、列 %3～%4）が画像の外にはみ出しています。回転するには倍率を 1.0 以上、移動量を 0 にしてください。</translation>
    </message>
    <message>
        <source>The magnification gives a display of %1 × %2 pixels, which cannot be drawn; choose a magnification nearer 1.</source>
        <translation>この倍率では表示が %1 × %2 ピクセルになり、描画できません。1 に近い倍率を選んでください。</translation>
    </message>
    <message>
        <source>At magnification %1 the view holds no whole sample of the image&apos;s %2 rows, so nothing would be shown; choose a magnification of at most %2.</source>
        <translation>倍率 %1 では画像の %2 行のサンプルが一つも収まらず、何も表示されません。倍率は %2 以下にしてください。</translation>
    </message>
    <message>
        <source>No image is loaded yet.</source>
        <translation>画像がまだ読み込まれていません。</translation>
    </message>
    <message>
        <source>The LSF is empty.</source>
        <translation>LSF が空です。</translation>
    </message>
    <message>
        <source>The LSF has no peak above zero, so it has no centroid.</source>
        <translation>LSF に 0 を超えるピークがないため、重心がありません。</translation>
    </message>
    <message>
        <source>The ROI leaves fewer than 4 samples farther than %1 FWHM from the point for its background: use a larger ROI.</source>
        <translation>ROI 内で点から %1 FWHM より離れたサンプルが 4 個未満で、バックグラウンドを求められません。ROI を大きくしてください。</translation>
    </message>
    <message>
        <source>No image to combine.</source>
        <translation>合成する画像がありません。</translation>
    </message>
    <message>
        <source>The images&apos; LSFs differ in length (%1 and %2 samples): a combined MTF needs ROIs of one size.</source>
        <translation>画像の LSF の長さが異なります（%1 と %2 サンプル）。合成 MTF には同じサイズの ROI が必要です。</translation>
    </message>
    <message>
        <source>An image&apos;s LSF has no positive area above its background.</source>
        <translation>画像の LSF にバックグラウンドを上回る正の面積がありません。</translation>
    </message>
    <message>
        <source>The LSF cannot be cut: %1. Centre the ROI on the point and make it wider, or lower &quot;PSF width&quot;.</source>
        <translation>LSF を切り出せません: %1。ROI を点の中心に合わせて広げるか、&quot;PSF width&quot; を小さくしてください。</translation>
    </message>
    <message>
        <source>The pixel table has %1 samples along the LSF; at most %2 fit. Use a smaller ROI.</source>
        <translation>ピクセルテーブルの LSF 方向のサンプルが %1 個あります。上限は %2 個です。ROI を小さくしてください。</translation>
    </message>
    <message>
        <source>The DFT line count must be at least 1.</source>
        <translation>DFT のライン数は 1 以上にしてください。</translation>
    </message>
    <message>
        <source>The band of %1 lines around the maximum (rows %2 to %3) does not fit in the table&apos;s %4 rows. Lower &quot;DFT line#&quot; or centre the ROI on the point.</source>
        <translation>最大値の周りの %1 ライン（行 %2～%3）がテーブルの %4 行に収まりません。&quot;DFT line#&quot; を小さくするか、ROI を点の中心に合わせてください。</translation>
    </message>
    <message>
        <source>The band of %1 lines around the maximum (columns %2 to %3) does not fit in the table&apos;s %4 columns. Lower &quot;DFT line#&quot; or centre the ROI on the point.</source>
        <translation>最大値の周りの %1 ライン（列 %2～%3）がテーブルの %4 列に収まりません。&quot;DFT line#&quot; を小さくするか、ROI を点の中心に合わせてください。</translation>
    </message>
    <message>
        <source>&quot;PSF width&quot; must be at least 1.</source>
        <translation>&quot;PSF width&quot; は 1 以上にしてください。</translation>
    </message>
    <message>
        <source>the peak lies closer than three samples to an end</source>
        <translation>ピークが端から 3 サンプル以内にあります</translation>
    </message>
    <message>
        <source>the left tail never falls to 10 % of the peak</source>
        <translation>左の裾がピークの 10 % まで下がりません</translation>
    </message>
    <message>
        <source>no valley on the left inside the data</source>
        <translation>データ内の左側に谷がありません</translation>
    </message>
    <message>
        <source>the right tail never falls to 10 % of the peak</source>
        <translation>右の裾がピークの 10 % まで下がりません</translation>
    </message>
    <message>
        <source>no valley on the right inside the data</source>
        <translation>データ内の右側に谷がありません</translation>
    </message>
    <message>
        <source>The LSF has no peak above zero, so it has no half width.</source>
        <translation>LSF に 0 を超えるピークがないため、半値幅がありません。</translation>
    </message>
    <message>
        <source>The LSF does not fall to half its maximum on the left.</source>
        <translation>LSF が左側で最大値の半分まで下がりません。</translation>
    </message>
    <message>
        <source>The LSF does not fall to half its maximum on the right.</source>
        <translation>LSF が右側で最大値の半分まで下がりません。</translation>
    </message>
    <message>
        <source>&quot;Data#&quot; is %1, but the computed %2 has %3 points (at most %4).</source>
        <translation>&quot;Data#&quot; は %1 ですが、計算した %2 は %3 点です（上限 %4）。</translation>
    </message>
    <message>
        <source>A pixel table needs at least one row and column.</source>
        <translation>ピクセルテーブルには 1 行 1 列以上が必要です。</translation>
    </message>
    <message>
        <source>Cell (%1, %2) lies outside the pixel table (%3 columns, %4 rows).</source>
        <translation>セル（%1, %2）がピクセルテーブル（%3 列、%4 行）の外にあります。</translation>
    </message>
    <message>
        <source>SegmentSize %1 is %2; it must be a power of two from 2 to 1024.</source>
        <translation>SegmentSize %1 が %2 です。2～1024 の 2 のべき乗にしてください。</translation>
    </message>
    <message>
        <source>SegmentSize %1 (the strip width) is %2; it must lie from 1 to 65 lines.</source>
        <translation>SegmentSize %1（ストリップの幅）が %2 です。1～65 ラインにしてください。</translation>
    </message>
    <message>
        <source>The ROI is %1 pixels long along %2; a strip takes at most %3.</source>
        <translation>ROI の %2 方向の長さが %1 ピクセルです。ストリップの長さの上限は %3 です。</translation>
    </message>
    <message>
        <source>Shift %1 (the step between segments) must be at least 1.</source>
        <translation>Shift %1（セグメントの間隔）は 1 以上にしてください。</translation>
    </message>
    <message>
        <source>Shift %1 (the step between strips) must be at least 1.</source>
        <translation>Shift %1（ストリップの間隔）は 1 以上にしてください。</translation>
    </message>
    <message>
        <source>The ROI is %1 pixels wide across the strips (%2); the spectrum needs at least 3.</source>
        <translation>ROI のストリップに直交する方向（%2）の幅が %1 ピクセルです。スペクトルには 3 以上が必要です。</translation>
    </message>
    <message>
        <source>The degree of &quot;%1&quot; is %2; at most 16 is possible.</source>
        <translation>&quot;%1&quot; の次数が %2 です。16 以下にしてください。</translation>
    </message>
    <message>
        <source>The image fields must not be negative.</source>
        <translation>画像の設定値は負にできません。</translation>
    </message>
    <message>
        <source>The strips reach outside the image: columns %1 to %2 and rows %3 to %4 of an image of %5 × %6. Move the ROI inside the image or make it smaller.</source>
        <translation>ストリップが画像の外にはみ出しています: %5 × %6 の画像の列 %1～%2、行 %3～%4。ROI を画像の内側に移すか小さくしてください。</translation>
    </message>
    <message>
        <source>No segment fits: %1 strips of %2 pixels for segments of %3 (maximum %4 segments). %5</source>
        <translation>セグメントが収まりません: 長さ %2 ピクセルのストリップ %1 本、セグメント長 %3（最大 %4 セグメント）。%5</translation>
    </message>
    <message>
        <source>The image in the viewer has a pixel spacing of %1 mm, this window %2 mm (taken by toWS from another image): press toWS to take the new image&apos;s geometry.</source>
        <translation>ビューアの画像のピクセル間隔は %1 mm、このウィンドウは %2 mm です（toWS で別の画像から取得）。toWS を押して新しい画像の寸法を取得してください。</translation>
    </message>
    <message>
        <source>A phantom needs between 1 and 2^26 pixels.</source>
        <translation>ファントムのピクセル数は 1～2^26 にしてください。</translation>
    </message>
    <message>
        <source>The disk&apos;s radius must be a positive number of pixels.</source>
        <translation>ディスクの半径は正のピクセル数にしてください。</translation>
    </message>
    <message>
        <source>The blur σ must be zero or a positive number of pixels.</source>
        <translation>ぼけの σ は 0 または正のピクセル数にしてください。</translation>
    </message>
    <message>
        <source>The noise SD must be zero or positive.</source>
        <translation>ノイズの SD は 0 または正にしてください。</translation>
    </message>
    <message>
        <source>The task &quot;%1&quot; is not disk:DIAMETER_MM:CONTRAST_HU with two numbers.</source>
        <translation>タスク &quot;%1&quot; が、二つの数値を持つ disk:直径_MM:コントラスト_HU の形ではありません。</translation>
    </message>
    <message>
        <source>The task&apos;s disk diameter must be a positive number of millimetres.</source>
        <translation>タスクのディスク直径は正の数（mm）にしてください。</translation>
    </message>
    <message>
        <source>The TTF has no values.</source>
        <translation>TTF に値がありません。</translation>
    </message>
    <message>
        <source>The TTF&apos;s frequencies must increase.</source>
        <translation>TTF の周波数は増加していなければなりません。</translation>
    </message>
    <message>
        <source>The NPS is not a square grid of n x n values.</source>
        <translation>NPS が n x n の正方格子の値ではありません。</translation>
    </message>
    <message>
        <source>The TTF comes from images of %1 mm pixels, the NPS from %2 x %3 mm: both must come from images of one pixel spacing.</source>
        <translation>TTF はピクセル %1 mm の画像、NPS は %2 x %3 mm の画像から求めたものです。両方とも同じピクセル間隔の画像から求めてください。</translation>
    </message>
    <message>
        <source>The NPS holds no noise where the task has signal; d&apos; would be infinite.</source>
        <translation>タスクに信号がある周波数で NPS にノイズがありません。d&apos; が無限大になります。</translation>
    </message>
    <message>
        <source>Image %1 has no pixels (%2 x %3).</source>
        <translation>画像 %1 にピクセルがありません（%2 x %3）。</translation>
    </message>
    <message>
        <source>Image %1 holds %2 samples; its size %3 x %4 needs %5.</source>
        <translation>画像 %1 のサンプルは %2 個ですが、サイズ %3 x %4 には %5 個必要です。</translation>
    </message>
    <message>
        <source>Image %1: the pixel spacing must be a positive number of millimetres.</source>
        <translation>画像 %1: ピクセル間隔は正の数（mm）にしてください。</translation>
    </message>
    <message>
        <source>No image was given.</source>
        <translation>画像が指定されていません。</translation>
    </message>
    <message>
        <source>Image %1 is %2 x %3 pixels, image 1 is %4 x %5; one ensemble needs one size.</source>
        <translation>画像 %1 は %2 x %3 ピクセル、画像 1 は %4 x %5 ピクセルです。一つのアンサンブルには同じサイズの画像が必要です。</translation>
    </message>
    <message>
        <source>Image %1 has another pixel spacing than image 1; one ensemble needs one spacing.</source>
        <translation>画像 %1 のピクセル間隔が画像 1 と異なります。一つのアンサンブルには同じピクセル間隔の画像が必要です。</translation>
    </message>
    <message>
        <source>The ROI size is %1; it must be an even number of at least 8 pixels.</source>
        <translation>ROI サイズが %1 です。8 ピクセル以上の偶数にしてください。</translation>
    </message>
    <message>
        <source>The grid step is %1; it must be at least 1.</source>
        <translation>グリッドの間隔が %1 です。1 以上にしてください。</translation>
    </message>
    <message>
        <source>The region %1 x %2 at (%3, %4) does not lie inside the image of %5 x %6 pixels.</source>
        <translation>(%3, %4) の領域 %1 x %2 が %5 x %6 ピクセルの画像の内側にありません。</translation>
    </message>
    <message>
        <source>The region %1 x %2 is smaller than one ROI of %3 x %3 pixels.</source>
        <translation>領域 %1 x %2 が %3 x %3 ピクセルの ROI 一つより小さいです。</translation>
    </message>
    <message>
        <source>The insert&apos;s edge has no contrast to measure a TTF from.</source>
        <translation>インサートの辺縁に TTF を計測できるコントラストがありません。</translation>
    </message>
    <message>
        <source>The TTF needs square pixels; this image&apos;s are %1 x %2 mm.</source>
        <translation>TTF には正方形のピクセルが必要です。この画像のピクセルは %1 x %2 mm です。</translation>
    </message>
    <message>
        <source>The insert&apos;s radius is %1 px; it must be at least 3 px and fit in the image twice over.</source>
        <translation>インサートの半径が %1 px です。3 px 以上で、直径が画像に収まるようにしてください。</translation>
    </message>
    <message>
        <source>The insert&apos;s centre (%1, %2) lies outside the image.</source>
        <translation>インサートの中心（%1, %2）が画像の外にあります。</translation>
    </message>
    <message>
        <source>No circular edge was found near (%1, %2) with a radius of %3 px.</source>
        <translation>(%1, %2) の近くに半径 %3 px の円形の辺縁が見つかりません。</translation>
    </message>
    <message>
        <source>The insert at (%1, %2) lies too close to the image&apos;s edge: its edge profile reaches %3 px from the centre, beyond the image.</source>
        <translation>(%1, %2) のインサートが画像の端に近すぎます。辺縁のプロファイルが中心から %3 px に達し、画像の外に出ます。</translation>
    </message>
    <message>
        <source>The combined MTF needs one pixel spacing: %1 has %2 mm, the first image %3 mm.</source>
        <translation>合成 MTF には同じピクセル間隔が必要です: %1 は %2 mm、最初の画像は %3 mm です。</translation>
    </message>
    <message>
        <source>The images&apos; spectra differ in length or pixel spacing (%1): no image-to-image spectrum.</source>
        <translation>画像のスペクトルの長さまたはピクセル間隔が異なります（%1）。画像間のスペクトルは求めません。</translation>
    </message>
    <message>
        <source>%1: line %2 is not a JSON object of ctiq-cli --format json.</source>
        <translation>%1: %2 行目が ctiq-cli --format json の JSON オブジェクトではありません。</translation>
    </message>
    <message>
        <source>%1 holds no %2 result; write one with %3.</source>
        <translation>%1 に %2 の結果がありません。%3 で書き出してください。</translation>
    </message>
    <message>
        <source>%1 holds %2 %3 results; give a file with one.</source>
        <translation>%1 に %3 の結果が %2 個あります。結果が一つのファイルを指定してください。</translation>
    </message>
    <message>
        <source>%1 has no &quot;%2&quot; array.</source>
        <translation>%1 に &quot;%2&quot; の配列がありません。</translation>
    </message>
    <message>
        <source>%1: &quot;%2&quot; holds a value that is not a number.</source>
        <translation>%1: &quot;%2&quot; に数値でない値があります。</translation>
    </message>
    <message>
        <source>%1 has no number &quot;%2&quot;.</source>
        <translation>%1 に数値の &quot;%2&quot; がありません。</translation>
    </message>
    <message>
        <source>%1: the ttf result</source>
        <translation>%1: ttf の結果</translation>
    </message>
    <message>
        <source>%1: the nps2d result</source>
        <translation>%1: nps2d の結果</translation>
    </message>
    <message>
        <source>%1: the nps2d result&apos;s 2-D spectrum</source>
        <translation>%1: nps2d の結果の 2 次元スペクトル</translation>
    </message>
    <message>
        <source>%1 has %2 frequencies but %3 TTF values.</source>
        <translation>%1 には周波数が %2 個ありますが、TTF の値は %3 個です。</translation>
    </message>
    <message>
        <source>%1 has no 2-D spectrum; write it with nps2d --format json --full.</source>
        <translation>%1 に 2 次元スペクトルがありません。nps2d --format json --full で書き出してください。</translation>
    </message>
    <message>
        <source>%1 is not an even n x n grid of values.</source>
        <translation>%1 が n（偶数）x n の格子の値ではありません。</translation>
    </message>
    <message>
        <source>%1 is not in the shifted order nps2d writes.</source>
        <translation>%1 が nps2d の書き出すシフト済みの順序ではありません。</translation>
    </message>
    <message>
        <source>A phantom needs between 1 and 2^26 samples.</source>
        <translation>ファントムのサンプル数は 1～2^26 にしてください。</translation>
    </message>
    <message>
        <source>--sigma must be a positive number of pixels.</source>
        <translation>--sigma は正のピクセル数にしてください。</translation>
    </message>
    <message>
        <source>Unknown phantom &apos;%1&apos;: point, noise, uniform or disk.</source>
        <translation>不明なファントム &apos;%1&apos; です: point、noise、uniform または disk を指定してください。</translation>
    </message>
    <message>
        <source>These phantom parameters give values that are not finite numbers.</source>
        <translation>このファントムのパラメータでは有限でない値になります。</translation>
    </message>
    <message>
        <source>A DICOM image has at most 65535 columns and rows.</source>
        <translation>DICOM 画像の列数・行数は 65535 以下です。</translation>
    </message>
    <message>
        <source>--plot writes .png or .svg files, not %1</source>
        <translation>--plot が書き出すのは .png または .svg のファイルです（%1 は書き出せません）</translation>
    </message>
    <message>
        <source>The plot could not be drawn for %1</source>
        <translation>%1 のグラフを描けません</translation>
    </message>
    <message>
        <source>The baseline %1 holds a line that is not a JSON result (%2).</source>
        <translation>基準ファイル %1 に JSON の結果でない行があります（%2）。</translation>
    </message>
    <message>
        <source>The spectrum is not a square grid of n x n values.</source>
        <translation>スペクトルが n x n の正方格子の値ではありません。</translation>
    </message>
    <message>
        <source>--spectrum-image writes a .pgm file, not %1</source>
        <translation>--spectrum-image が書き出すのは .pgm ファイルです（%1 は書き出せません）</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>unknown option &apos;%1&apos;</source>
        <translation>不明なオプション &apos;%1&apos; です</translation>
    </message>
    <message>
        <source>one file at a time: &apos;%1&apos; and &apos;%2&apos;</source>
        <translation>ファイルは一度に一つです: &apos;%1&apos; と &apos;%2&apos;</translation>
    </message>
    <message>
        <source>combined result: %1</source>
        <translation>合成結果: %1</translation>
    </message>
</context>
</TS>
