<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>AviWriter</name>
    <message>
        <source>非圧縮 (全フレーム)</source>
        <translation>Uncompressed (all frames)</translation>
    </message>
</context>
<context>
    <name>CompressorWidget</name>
    <message>
        <source>ビデオの圧縮</source>
        <translation>Video Compression</translation>
    </message>
    <message>
        <source>圧縮プログラム:</source>
        <translation>Compressor:</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>圧縮の品質</source>
        <translation>Quality</translation>
    </message>
    <message>
        <source>キーフレーム毎</source>
        <translation>Key every</translation>
    </message>
    <message>
        <source> ﾌﾚｰﾑ</source>
        <translation> frames</translation>
    </message>
    <message>
        <source>データレート</source>
        <translation>Data rate</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>この圧縮の設定で作成します</source>
        <translation>Create with these compression settings</translation>
    </message>
    <message>
        <source>作成をやめて閉じます</source>
        <translation>Close without creating</translation>
    </message>
</context>
<context>
    <name>FaceLandmarks</name>
    <message>
        <source>顔の特徴点のモデルがないため、顔は使いません。</source>
        <translation>The face landmark model is not installed, so faces are not used.</translation>
    </message>
    <message>
        <source>顔の特徴点のモデルが壊れているため、顔は使いません。</source>
        <translation>The face landmark model is damaged, so faces are not used.</translation>
    </message>
</context>
<context>
    <name>Fennix_Avi</name>
    <message>
        <source>フォルダの中にモーフ画像データが見つかりません！</source>
        <translation>No morph frames were found in the folder!</translation>
    </message>
    <message>
        <source>作成ｵﾌﾟｼｮﾝ</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>幅</source>
        <translation>Width</translation>
    </message>
    <message>
        <source>高さ</source>
        <translation>Height</translation>
    </message>
    <message>
        <source>ﾌﾚｰﾑ数 ：</source>
        <translation>Frames:</translation>
    </message>
    <message>
        <source>AVIﾌｧｲﾙの作成</source>
        <translation>Create AVI</translation>
    </message>
    <message>
        <source>AVI ﾋﾞｭｰｱ</source>
        <translation>AVI Viewer</translation>
    </message>
    <message>
        <source>ﾘﾋﾟｰﾄ</source>
        <translation>Repeat</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>AVI ファイルの作成</source>
        <translation>Create AVI File</translation>
    </message>
    <message>
        <source>フォルダの選択</source>
        <translation>Choose Folder</translation>
    </message>
    <message>
        <source>AVI ビューア</source>
        <translation>AVI Viewer</translation>
    </message>
    <message>
        <source>ドライブ%1 は、準備されていません。</source>
        <translation>Drive %1 is not ready.</translation>
    </message>
    <message>
        <source>回</source>
        <translation>x</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙ名を付けて保存</source>
        <translation>Save As</translation>
    </message>
    <message>
        <source>AVI Videoﾌｧｲﾙ</source>
        <translation>AVI video file</translation>
    </message>
    <message>
        <source>Avi ファイルを作成しました!</source>
        <translation>The AVI file has been created!</translation>
    </message>
    <message>
        <source>画像ファイルのロードで失敗しました!</source>
        <translation>Loading an image file failed!</translation>
    </message>
    <message>
        <source>Aviファイルの作成は失敗しました!</source>
        <translation>Creating the AVI file failed!</translation>
    </message>
    <message>
        <source>作成を中止しました。</source>
        <translation>Creation was stopped.</translation>
    </message>
    <message>
        <source>AVI ファイルを作成中です。中止して閉じますか？</source>
        <translation>An AVI file is being created. Stop and close?</translation>
    </message>
    <message>
        <source>フォルダのフレームから AVI ファイルを作成します</source>
        <translation>Create an AVI file from the frames in the folder</translation>
    </message>
    <message>
        <source>AVI ファイルを選んで再生します</source>
        <translation>Choose an AVI file and play it</translation>
    </message>
    <message>
        <source>選んだものに決めます</source>
        <translation>Take what is chosen</translation>
    </message>
    <message>
        <source>ウィンドウを閉じます</source>
        <translation>Close the window</translation>
    </message>
</context>
<context>
    <name>Fennix_Chain</name>
    <message>
        <source>③処理は失敗しました。</source>
        <translation>Processing failed.</translation>
    </message>
    <message>
        <source>連続モーフィング</source>
        <translation>Morph Sequence</translation>
    </message>
    <message>
        <source>プロジェクト（上から順に作成）</source>
        <translation>Projects (made from the top down)</translation>
    </message>
    <message>
        <source>追加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>上へ</source>
        <translation>Up</translation>
    </message>
    <message>
        <source>下へ</source>
        <translation>Down</translation>
    </message>
    <message>
        <source>出力フォルダ</source>
        <translation>Output folder</translation>
    </message>
    <message>
        <source>（空欄：日付と時刻の新しいフォルダ）</source>
        <translation>(empty: a new folder named by date and time)</translation>
    </message>
    <message>
        <source>ﾌｫﾙﾀﾞの選択</source>
        <translation>Choose Folder</translation>
    </message>
    <message>
        <source>作成</source>
        <translation>Create</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>プロジェクトを追加してください。</source>
        <translation>Add projects.</translation>
    </message>
    <message>
        <source>%1 個のプロジェクト</source>
        <translation>%1 project(s)</translation>
    </message>
    <message>
        <source>ファイルを開く</source>
        <translation>Open File</translation>
    </message>
    <message>
        <source>モーフィングファイル (*.mph)|*.mph</source>
        <translation>Morph files (*.mph)|*.mph</translation>
    </message>
    <message>
        <source>フォルダの選択</source>
        <translation>Choose Folder</translation>
    </message>
    <message>
        <source>
フォルダを作れませんでした。</source>
        <translation>
The folder could not be created.</translation>
    </message>
    <message>
        <source>
このフォルダにはすでにフレーム（%1）があります。別のフォルダを選んでください。</source>
        <translation>
This folder already holds frames (%1). Choose another folder.</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>%1 / %2 番目のプロジェクトを作成中</source>
        <translation>Making project %1 of %2</translation>
    </message>
    <message>
        <source>%1 フレーム: %2</source>
        <translation>%1 frames: %2</translation>
    </message>
    <message>
        <source>作成を中止しました。%1 フレームを保存しました。</source>
        <translation>Creation was stopped. %1 frames were saved.</translation>
    </message>
    <message>
        <source>が無効です。</source>
        <translation> is not valid.</translation>
    </message>
    <message>
        <source>正常終了しました。確認しますか？</source>
        <translation>Finished successfully. View the result?</translation>
    </message>
    <message>
        <source>Fennix(完了)</source>
        <translation>Fennix (finished)</translation>
    </message>
    <message>
        <source>連続モーフィングを作成中です。中止して閉じますか？</source>
        <translation>A morph sequence is being made. Stop and close?</translation>
    </message>
    <message>
        <source>プロジェクトを一覧に加えます</source>
        <translation>Add a project to the list</translation>
    </message>
    <message>
        <source>選んだプロジェクトを一覧から外します</source>
        <translation>Remove the chosen project from the list</translation>
    </message>
    <message>
        <source>選んだプロジェクトを一つ前にします</source>
        <translation>Move the chosen project up</translation>
    </message>
    <message>
        <source>選んだプロジェクトを一つ後にします</source>
        <translation>Move the chosen project down</translation>
    </message>
    <message>
        <source>フレームを書き出すフォルダを選びます</source>
        <translation>Choose the folder the frames are written to</translation>
    </message>
    <message>
        <source>一覧のプロジェクトを順にフレームにします</source>
        <translation>Make the listed projects into frames, one after the other</translation>
    </message>
    <message>
        <source>ウィンドウを閉じます</source>
        <translation>Close the window</translation>
    </message>
</context>
<context>
    <name>Fennix_Main</name>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>ファイル</source>
        <translation>File</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>上書き保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>名前を付けて保存</source>
        <translation>Save As</translation>
    </message>
    <message>
        <source>画像と一緒に保存</source>
        <translation>Save with Pictures</translation>
    </message>
    <message>
        <source>編集</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>元に戻す</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>やり直し</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>ツール</source>
        <translation>Tools</translation>
    </message>
    <message>
        <source>オプション</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>色</source>
        <translation>Colour</translation>
    </message>
    <message>
        <source>マトリクスの色</source>
        <translation>Grid Colour</translation>
    </message>
    <message>
        <source>ポインタの色</source>
        <translation>Point Colour</translation>
    </message>
    <message>
        <source>背景の色</source>
        <translation>Background Colour</translation>
    </message>
    <message>
        <source>ズーミング</source>
        <translation>Zoom</translation>
    </message>
    <message>
        <source>ウィンドウに合わせる</source>
        <translation>Fit to Window</translation>
    </message>
    <message>
        <source>自動調整</source>
        <translation>Auto Fit</translation>
    </message>
    <message>
        <source>基準点で合わせる</source>
        <translation>Fit by Reference Points</translation>
    </message>
    <message>
        <source>モーフィング</source>
        <translation>Morph</translation>
    </message>
    <message>
        <source>作成スタート</source>
        <translation>Start Creating</translation>
    </message>
    <message>
        <source>モーフィングビューア</source>
        <translation>Morph Viewer</translation>
    </message>
    <message>
        <source>プレビュー</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>作成オプション</source>
        <translation>Creation Options</translation>
    </message>
    <message>
        <source>動画 (AVI ファイル) </source>
        <translation>Video (AVI file) </translation>
    </message>
    <message>
        <source>AVI ファイルの作成</source>
        <translation>Create AVI File</translation>
    </message>
    <message>
        <source>AVI ビューア</source>
        <translation>AVI Viewer</translation>
    </message>
    <message>
        <source>動画ファイルの書き出し</source>
        <translation>Export Video</translation>
    </message>
    <message>
        <source>が無効です。</source>
        <translation> is not valid.</translation>
    </message>
    <message>
        <source>モーフィングを作成中です。中止して閉じますか？</source>
        <translation>A morph is being created. Stop and close?</translation>
    </message>
    <message>
        <source>選んだ点の削除</source>
        <translation>Delete Chosen Point</translation>
    </message>
    <message>
        <source>格子を細かくする</source>
        <translation>Refine Grid</translation>
    </message>
    <message>
        <source>作成を中止します。作成済みのフレームは残ります (Esc)</source>
        <translation>Stop creating; the frames made so far stay (Esc)</translation>
    </message>
    <message>
        <source>連続モーフィング</source>
        <translation>Morph Sequence</translation>
    </message>
    <message>
        <source>別の顔で自動調整</source>
        <translation>Auto Fit with Another Face</translation>
    </message>
    <message>
        <source>線を引く</source>
        <translation>Draw strokes</translation>
    </message>
    <message>
        <source>選んだ線を引き直す</source>
        <translation>Redraw the chosen stroke</translation>
    </message>
    <message>
        <source>選んだ線の削除</source>
        <translation>Delete the chosen stroke</translation>
    </message>
</context>
<context>
    <name>Fennix_MainEditing</name>
    <message>
        <source>マトリクスのラインがオーバーラップしています。</source>
        <translation>The grid lines overlap.</translation>
    </message>
    <message>
        <source>ポイントの移動</source>
        <translation>Move Point</translation>
    </message>
    <message>
        <source>作成オプション</source>
        <translation>Creation Options</translation>
    </message>
    <message>
        <source>マトリクスが変更されました。リセットしますか？</source>
        <translation>The grid has changed. Reset it?</translation>
    </message>
    <message>
        <source>マトリクスの行数または列数が多過ぎます。</source>
        <translation>The grid has too many rows or columns.</translation>
    </message>
    <message>
        <source>オプション</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>点の移動</source>
        <translation>Move Point</translation>
    </message>
    <message>
        <source>ここには点を置けません（ほかの点に重なるか、メッシュが折り重なります）。</source>
        <translation>A point cannot be placed here (it would lie on another point or fold the mesh).</translation>
    </message>
    <message>
        <source>点の追加</source>
        <translation>Add Point</translation>
    </message>
    <message>
        <source>点の削除</source>
        <translation>Delete Point</translation>
    </message>
    <message>
        <source>格子をこれ以上細かくできません。ひとつの升目は縦横とも 5 ピクセル以上必要です。</source>
        <translation>The grid cannot be refined further. Each cell needs at least 5 pixels each way.</translation>
    </message>
    <message>
        <source>格子を細かくする</source>
        <translation>Refine Grid</translation>
    </message>
</context>
<context>
    <name>Fennix_MainFiles</name>
    <message>
        <source>が無効です。</source>
        <translation> is not valid.</translation>
    </message>
    <message>
        <source>%1に画像を保存できませんでした。
プロジェクトは保存されていません。</source>
        <translation>The pictures could not be saved in %1.
The project has not been saved.</translation>
    </message>
    <message>
        <source>モーフィングファイル (*.mph)|*.mph</source>
        <translation>Morph files (*.mph)|*.mph</translation>
    </message>
    <message>
        <source>ファィルの保存</source>
        <translation>Save File</translation>
    </message>
    <message>
        <source>画像と一緒に保存</source>
        <translation>Save with Pictures</translation>
    </message>
    <message>
        <source>%1に保存しました。</source>
        <translation>Saved in %1.</translation>
    </message>
    <message>
        <source>変更されています。保存しますか？</source>
        <translation>There are unsaved changes. Save them?</translation>
    </message>
</context>
<context>
    <name>Fennix_MainFit</name>
    <message>
        <source>開始画像と終了画像で同じものが写っている場所を、開始画像、終了画像の順にクリックしてください。3組目をクリックすると合わせます。2組で合わせるときは、もう一度「基準点で合わせる」を選んでください。</source>
        <translation>Click a place that shows the same thing in both pictures, first on the start picture, then on the end picture. The third pair starts the fit; to fit by two pairs, choose &quot;Fit by Reference Points&quot; again.</translation>
    </message>
    <message>
        <source>自動調整しています…</source>
        <translation>Fitting automatically…</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>自動調整</source>
        <translation>Auto Fit</translation>
    </message>
    <message>
        <source>「基準点で合わせる」を使うか、輪郭に沿って線を引いてください。</source>
        <translation>Use Fit by Reference Points, or draw lines along the outlines.</translation>
    </message>
</context>
<context>
    <name>Fennix_MainRun</name>
    <message>
        <source>③処理は失敗しました。</source>
        <translation>Processing failed.</translation>
    </message>
    <message>
        <source>作成を中止しました。%1 フレームを保存しました。</source>
        <translation>Creation was stopped. %1 frames were saved.</translation>
    </message>
    <message>
        <source>正常終了しました。確認しますか？</source>
        <translation>Finished successfully. View the result?</translation>
    </message>
    <message>
        <source>Fennix(完了)</source>
        <translation>Fennix (finished)</translation>
    </message>
</context>
<context>
    <name>Fennix_MainStrokes</name>
    <message>
        <source>線の引き直し</source>
        <translation>Redraw stroke</translation>
    </message>
    <message>
        <source>線の追加</source>
        <translation>Add stroke</translation>
    </message>
    <message>
        <source>この線は置けません。%1</source>
        <translation>This stroke cannot be placed. %1</translation>
    </message>
    <message>
        <source>引き直す線をクリックして選んでください。</source>
        <translation>Click the stroke to redraw first to choose it.</translation>
    </message>
    <message>
        <source>線の削除</source>
        <translation>Delete stroke</translation>
    </message>
    <message>
        <source>選んだ線を、どちらかの画像に引き直してください（Esc で取り消し）。</source>
        <translation>Draw the chosen stroke again on either picture (Esc cancels).</translation>
    </message>
    <message>
        <source>始めの画像に線を引いてください。</source>
        <translation>Draw a stroke on the start picture.</translation>
    </message>
    <message>
        <source>終わりの画像に、対応する線を引いてください（Esc で取り消し）。</source>
        <translation>Draw the matching stroke on the end picture (Esc cancels).</translation>
    </message>
</context>
<context>
    <name>Fennix_Mdif</name>
    <message>
        <source> ファイル</source>
        <translation> File</translation>
    </message>
    <message>
        <source>新規(&amp;N)</source>
        <translation>&amp;New</translation>
    </message>
    <message>
        <source>開く(&amp;O)</source>
        <translation>&amp;Open</translation>
    </message>
    <message>
        <source>連続モーフィング</source>
        <translation>Morph Sequence</translation>
    </message>
    <message>
        <source>Fennixの終了(&amp;E)</source>
        <translation>&amp;Exit Fennix</translation>
    </message>
    <message>
        <source>オプション</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>ビューア</source>
        <translation>Viewer</translation>
    </message>
    <message>
        <source>モーフィングデータ(&amp;M)</source>
        <translation>&amp;Morph Frames</translation>
    </message>
    <message>
        <source>AVI ファイル(&amp;A)</source>
        <translation>&amp;AVI File</translation>
    </message>
    <message>
        <source>動画ファイルの書き出し(&amp;V)</source>
        <translation>Export &amp;Video</translation>
    </message>
    <message>
        <source>ファイルを開く</source>
        <translation>Open File</translation>
    </message>
    <message>
        <source>モーフィングファイル (*.mph)|*.mph</source>
        <translation>Morph files (*.mph)|*.mph</translation>
    </message>
</context>
<context>
    <name>Fennix_Opt</name>
    <message>
        <source>オプションの設定</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>総ﾌﾚｰﾑ数</source>
        <translation>Total frames</translation>
    </message>
    <message>
        <source>ﾏﾄﾘｸｽ</source>
        <translation>Grid</translation>
    </message>
    <message>
        <source>行数</source>
        <translation>Rows</translation>
    </message>
    <message>
        <source>列数</source>
        <translation>Columns</translation>
    </message>
    <message>
        <source>ﾎﾟｲﾝﾀの大きさ</source>
        <translation>Point size</translation>
    </message>
    <message>
        <source>保存ﾌｧｲﾙの種類</source>
        <translation>Saved file type</translation>
    </message>
    <message>
        <source>最近使ったﾌｧｲﾙの表示数（Max.）</source>
        <translation>Recent files shown (max.)</translation>
    </message>
    <message>
        <source>なし</source>
        <translation>None</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>設定を決定して閉じます</source>
        <translation>Apply the settings and close</translation>
    </message>
    <message>
        <source>何も変えずに閉じます</source>
        <translation>Close without changing anything</translation>
    </message>
</context>
<context>
    <name>Fennix_Pic</name>
    <message>
        <source>画像ﾌｧｲﾙ (*.bmp;*.jpg;*.gif;*.dib;*.wmf)|*.bmp;*.jpg;*.gif;*.dib;*.wmf|その他の画像 (*.png;*.tif;*.tiff;*.webp;*.jpeg)|*.png;*.tif;*.tiff;*.webp;*.jpeg</source>
        <translation>Image files (*.bmp;*.jpg;*.gif;*.dib;*.wmf)|*.bmp;*.jpg;*.gif;*.dib;*.wmf|Other images (*.png;*.tif;*.tiff;*.webp;*.jpeg)|*.png;*.tif;*.tiff;*.webp;*.jpeg</translation>
    </message>
    <message>
        <source>画像の選択</source>
        <translation>Choose Pictures</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>開始画像の選択</source>
        <translation>Start Picture</translation>
    </message>
    <message>
        <source>終了画像の選択</source>
        <translation>End Picture</translation>
    </message>
    <message>
        <source>全体表示</source>
        <translation>Whole</translation>
    </message>
    <message>
        <source>ｻﾑﾈｲﾙ</source>
        <translation>Thumbnail</translation>
    </message>
    <message>
        <source>ﾄﾘﾐﾝｸﾞｻｲｽﾞ</source>
        <translation>Crop size</translation>
    </message>
    <message>
        <source>幅</source>
        <translation>W</translation>
    </message>
    <message>
        <source>高さ</source>
        <translation>H</translation>
    </message>
    <message>
        <source>ﾄﾘﾐﾝｸﾞ</source>
        <translation>Crop</translation>
    </message>
    <message>
        <source>画像の縮小</source>
        <translation>Reduce</translation>
    </message>
    <message>
        <source>％か幅</source>
        <translation>% or width</translation>
    </message>
    <message>
        <source>縮小率（％）か、縮小後の幅（ピクセル）を入力します</source>
        <translation>Type a percentage (%) or the reduced width (pixels)</translation>
    </message>
    <message>
        <source>縮小</source>
        <translation>Reduce</translation>
    </message>
    <message>
        <source>ｻｲｽﾞを終了画像に合わせる</source>
        <translation>Match End Size</translation>
    </message>
    <message>
        <source>ｻｲｽﾞを開始画像に合わせる</source>
        <translation>Match Start Size</translation>
    </message>
    <message>
        <source>ﾘｾｯﾄ</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>が無効です。
</source>
        <translation> is not valid.
</translation>
    </message>
    <message>
        <source>縮小率は 10 から 100 ％まで、幅は %1 から %2 ピクセルまでで入力してください。</source>
        <translation>Type a percentage from 10 to 100 % or a width from %1 to %2 pixels.</translation>
    </message>
    <message>
        <source>画像を選択してください</source>
        <translation>Choose the pictures</translation>
    </message>
    <message>
        <source>%1に画像を保存できませんでした。</source>
        <translation>The pictures could not be saved in %1.</translation>
    </message>
    <message>
        <source>開始画像と終了画像のサイズが違います。
終了画像のサイズを開始画像に合わせますか？</source>
        <translation>The start and end pictures differ in size.
Resize the end picture to the start picture?</translation>
    </message>
    <message>
        <source>二つの画像で新しいモーフィングを始めます</source>
        <translation>Start a new morph with the two pictures</translation>
    </message>
    <message>
        <source>何もせずに閉じます</source>
        <translation>Close without doing anything</translation>
    </message>
    <message>
        <source>開始画像のファイルを選びます</source>
        <translation>Choose the file of the start picture</translation>
    </message>
    <message>
        <source>終了画像のファイルを選びます</source>
        <translation>Choose the file of the end picture</translation>
    </message>
    <message>
        <source>画像の一部を切り抜きます</source>
        <translation>Crop a part of the picture</translation>
    </message>
    <message>
        <source>選んだままの画像を入力した率か幅に縮小します</source>
        <translation>Reduce the picture as picked to the percentage or width typed</translation>
    </message>
    <message>
        <source>開始画像を終了画像と同じ大きさにします</source>
        <translation>Scale the start picture to the size of the end picture</translation>
    </message>
    <message>
        <source>終了画像を開始画像と同じ大きさにします</source>
        <translation>Scale the end picture to the size of the start picture</translation>
    </message>
    <message>
        <source>選んだファイルのままの画像に戻します</source>
        <translation>Go back to the picture as in its file</translation>
    </message>
</context>
<context>
    <name>Fennix_RunOpt</name>
    <message>
        <source>一定の速さ</source>
        <translation>Even pace</translation>
    </message>
    <message>
        <source>ゆっくり始まる</source>
        <translation>Slow start</translation>
    </message>
    <message>
        <source>ゆっくり終わる</source>
        <translation>Slow end</translation>
    </message>
    <message>
        <source>ゆっくり始まり、ゆっくり終わる</source>
        <translation>Slow start and end</translation>
    </message>
    <message>
        <source>作成オプション</source>
        <translation>Creation Options</translation>
    </message>
    <message>
        <source>静止（そのまま見せるフレーム数）</source>
        <translation>Hold (frames shown unchanged)</translation>
    </message>
    <message>
        <source>開始画像</source>
        <translation>Start picture</translation>
    </message>
    <message>
        <source>フレーム</source>
        <translation>frames</translation>
    </message>
    <message>
        <source>終了画像</source>
        <translation>End picture</translation>
    </message>
    <message>
        <source>変化のカーブ</source>
        <translation>Curve of the change</translation>
    </message>
    <message>
        <source>形の動き</source>
        <translation>Motion</translation>
    </message>
    <message>
        <source>色の変化に別のカーブを使う</source>
        <translation>Use another curve for the colour</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>書き出すフレーム数: %1</source>
        <translation>Frames written: %1</translation>
    </message>
    <message>
        <source>画質</source>
        <translation>Quality</translation>
    </message>
    <message>
        <source>標準</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>滑らか</source>
        <translation>Smooth</translation>
    </message>
    <message>
        <source>このドキュメントのモーフィング</source>
        <translation>This document&apos;s morph</translation>
    </message>
    <message>
        <source>フレーム数</source>
        <translation>Frames</translation>
    </message>
    <message>
        <source>開始画像から終了画像までのフレーム数。新しいドキュメントの数はオプションの総ﾌﾚｰﾑ数です</source>
        <translation>The number of frames from the start picture to the end picture. New documents take the total frames of Options</translation>
    </message>
    <message>
        <source>作成オプションを決定して閉じます</source>
        <translation>Apply the creation options and close</translation>
    </message>
    <message>
        <source>何も変えずに閉じます</source>
        <translation>Close without changing anything</translation>
    </message>
</context>
<context>
    <name>Fennix_Tri</name>
    <message>
        <source>Fennix 画像のトリミング</source>
        <translation>Fennix Cropping</translation>
    </message>
    <message>
        <source>画像をﾄﾞﾗｯｸﾞして枠内にﾄﾘﾐﾝｸﾞ</source>
        <translation>Drag into the frame</translation>
    </message>
    <message>
        <source>ﾄﾘﾐﾝｸﾞのｻｲｽﾞ： </source>
        <translation>Crop size: </translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>色</source>
        <translation>Colour</translation>
    </message>
    <message>
        <source>切り抜かずに閉じます</source>
        <translation>Close without cropping</translation>
    </message>
    <message>
        <source>枠の中の部分を切り抜きます</source>
        <translation>Crop the part inside the frame</translation>
    </message>
    <message>
        <source>枠の色を選びます</source>
        <translation>Choose the colour of the frame</translation>
    </message>
</context>
<context>
    <name>Fennix_Video</name>
    <message>
        <source>フォルダの中にモーフ画像データが見つかりません！</source>
        <translation>No morph frames were found in the folder!</translation>
    </message>
    <message>
        <source>MP4 Videoﾌｧｲﾙ</source>
        <translation>MP4 video file</translation>
    </message>
    <message>
        <source>WebM Videoﾌｧｲﾙ</source>
        <translation>WebM video file</translation>
    </message>
    <message>
        <source>GIF ｱﾆﾒｰｼｮﾝ</source>
        <translation>GIF</translation>
    </message>
    <message>
        <source>動画ファイルの書き出し</source>
        <translation>Export Video</translation>
    </message>
    <message>
        <source>ﾓｰﾌｨﾝｸﾞﾃﾞｰﾀ</source>
        <translation>Morph frames</translation>
    </message>
    <message>
        <source>ﾌｫﾙﾀﾞ ：</source>
        <translation>Folder:</translation>
    </message>
    <message>
        <source>ﾌﾚｰﾑ数 ：</source>
        <translation>Frames:</translation>
    </message>
    <message>
        <source>ﾌｫﾙﾀﾞの選択</source>
        <translation>Choose Folder</translation>
    </message>
    <message>
        <source>作成ｵﾌﾟｼｮﾝ</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>形式</source>
        <translation>Format</translation>
    </message>
    <message>
        <source>幅</source>
        <translation>Width</translation>
    </message>
    <message>
        <source>高さ</source>
        <translation>Height</translation>
    </message>
    <message>
        <source>画質</source>
        <translation>Quality</translation>
    </message>
    <message>
        <source>高画質</source>
        <translation>High</translation>
    </message>
    <message>
        <source>標準</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>小さいﾌｧｲﾙ</source>
        <translation>Small file</translation>
    </message>
    <message>
        <source>往復 (逆再生でつなぐ)</source>
        <translation>Ping-pong (play back)</translation>
    </message>
    <message>
        <source>最後のフレームから先頭へ逆に戻り、継ぎ目なくループします。</source>
        <translation>Plays from the last frame back to the first, for a seamless loop.</translation>
    </message>
    <message>
        <source>動画ﾌｧｲﾙの書き出し</source>
        <translation>Export Video</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>フォルダの選択</source>
        <translation>Choose Folder</translation>
    </message>
    <message>
        <source>幅と高さに正しい値を入力してください。</source>
        <translation>Type a valid width and height.</translation>
    </message>
    <message>
        <source>fp/s は 1 から 60 までの値を入力してください。</source>
        <translation>Type an fp/s from 1 to 60.</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙ名を付けて保存</source>
        <translation>Save As</translation>
    </message>
    <message>
        <source>動画ファイルを作成しました!</source>
        <translation>The video file has been created!</translation>
    </message>
    <message>
        <source>作成を中止しました。</source>
        <translation>Creation was stopped.</translation>
    </message>
    <message>
        <source>動画ファイルを作成中です。中止して閉じますか？</source>
        <translation>A video file is being created. Stop and close?</translation>
    </message>
    <message>
        <source>フレームのフォルダを選びます</source>
        <translation>Choose the folder of frames</translation>
    </message>
    <message>
        <source>フレームから動画ファイルを書き出します</source>
        <translation>Write a video file from the frames</translation>
    </message>
    <message>
        <source>ウィンドウを閉じます</source>
        <translation>Close the window</translation>
    </message>
</context>
<context>
    <name>Fennix_View</name>
    <message>
        <source>フォルダの選択</source>
        <translation>Choose Folder</translation>
    </message>
    <message>
        <source>フォルダの中にモーフ画像データが見つかりません！</source>
        <translation>No morph frames were found in the folder!</translation>
    </message>
    <message>
        <source>モーフィングビューア</source>
        <translation>Morph Viewer</translation>
    </message>
    <message>
        <source>ﾌｫﾙﾀﾞを開く</source>
        <translation>Open Folder</translation>
    </message>
    <message>
        <source>ﾌﾟﾚｲ</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>ﾎﾟｰｽﾞ</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>ﾙｰﾌﾟ</source>
        <translation>Loop</translation>
    </message>
    <message>
        <source>ｲﾝﾀｰﾊﾞﾙ</source>
        <translation>Interval</translation>
    </message>
</context>
<context>
    <name>Fennix_aviView</name>
    <message>
        <source>AVIのビューア</source>
        <translation>AVI Viewer</translation>
    </message>
</context>
<context>
    <name>FreePairCheck</name>
    <message>
        <source>点が画像の外にあります</source>
        <translation>a point lies outside the picture</translation>
    </message>
    <message>
        <source>始点が格子点の上にあります</source>
        <translation>the start point lies on a grid point</translation>
    </message>
    <message>
        <source>始点が %1 行目の始点と同じです</source>
        <translation>the start point is that of line %1</translation>
    </message>
    <message>
        <source>始点が格子の外にあります</source>
        <translation>the start point lies outside the grid</translation>
    </message>
    <message>
        <source>終点がメッシュを折り返させます</source>
        <translation>the end point folds the mesh</translation>
    </message>
    <message>
        <source>線の点が二つ未満か、二つの画像で数が違います</source>
        <translation>the stroke has fewer than two points, or a different number in the two pictures</translation>
    </message>
    <message>
        <source>線をメッシュの辺にできません（ほかの線と交わるか、終了画像でメッシュが折り返します）</source>
        <translation>the stroke cannot become lines of the mesh (it crosses another stroke, or the mesh would fold in the end picture)</translation>
    </message>
</context>
<context>
    <name>GridFit</name>
    <message>
        <source>自動調整を中止しました。</source>
        <translation>The automatic fit was stopped.</translation>
    </message>
    <message>
        <source>画像がありません。</source>
        <translation>There is no picture.</translation>
    </message>
    <message>
        <source>開始画像と終了画像のメッシュの数が違うため、自動調整できません。</source>
        <translation>The start and end grids differ in size, so they cannot be fitted automatically.</translation>
    </message>
    <message>
        <source>画像が小さすぎるため、自動調整できません。</source>
        <translation>The pictures are too small to be fitted automatically.</translation>
    </message>
    <message>
        <source>基準点から位置合わせを決められません。離れた場所を2〜3組指定してください。</source>
        <translation>The reference points define no alignment. Choose 2 or 3 pairs of places far apart.</translation>
    </message>
    <message>
        <source>2つの画像に共通する部分が見つからないため、メッシュはそのままです。</source>
        <translation>The two pictures have nothing in common that could be found; the grid is left as it was.</translation>
    </message>
    <message>
        <source>自動調整しました。</source>
        <translation>The grid has been fitted automatically.</translation>
    </message>
    <message>
        <source>自動調整に失敗しました。</source>
        <translation>The automatic fit failed.</translation>
    </message>
    <message>
        <source>顔の特徴点のモデルがないため、顔の特徴点は使いませんでした。</source>
        <translation>The face landmark model is not installed, so the fit did not use face landmarks.</translation>
    </message>
    <message>
        <source>選んだ番号の顔がないため、顔の特徴点は使いませんでした。</source>
        <translation>There is no face with the chosen number, so the fit did not use face landmarks.</translation>
    </message>
    <message>
        <source>自動調整しました。格子だけでは細部が合わない所に、点を %1 組加えました。</source>
        <translation>The grid has been fitted automatically; %1 pairs of points were added where the grid alone could not follow the details.</translation>
    </message>
</context>
<context>
    <name>HelpWindows</name>
    <message>
        <source>新規</source>
        <translation>New</translation>
    </message>
    <message>
        <source>開く</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>上書き保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>名前を付けて保存</source>
        <translation>Save As</translation>
    </message>
    <message>
        <source>元に戻す</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>やり直し</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>選んだ点の削除</source>
        <translation>Delete Chosen Point</translation>
    </message>
    <message>
        <source>プレビュー</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>モーフィングデータ</source>
        <translation>Morph Frames (viewer)</translation>
    </message>
    <message>
        <source>AVI ファイル</source>
        <translation>AVI File (player)</translation>
    </message>
    <message>
        <source>作成の中止</source>
        <translation>Stop creating</translation>
    </message>
    <message>
        <source>Fennixの終了</source>
        <translation>Quit Fennix</translation>
    </message>
    <message>
        <source>使い方</source>
        <translation>Guide</translation>
    </message>
    <message>
        <source>Ctrl + ホイール</source>
        <translation>Ctrl + wheel</translation>
    </message>
    <message>
        <source>ズーミング</source>
        <translation>Zoom</translation>
    </message>
    <message>
        <source>ホイール、Shift + ホイール</source>
        <translation>Wheel, Shift + wheel</translation>
    </message>
    <message>
        <source>上下、左右のスクロール</source>
        <translation>Scroll up and down, left and right</translation>
    </message>
    <message>
        <source>ダブルクリック</source>
        <translation>Double click</translation>
    </message>
    <message>
        <source>点の追加</source>
        <translation>Add a point pair</translation>
    </message>
    <message>
        <source>画像モーフィングプログラム</source>
        <translation>Image morphing program</translation>
    </message>
    <message>
        <source>ライセンス: %1</source>
        <translation>Licence: %1</translation>
    </message>
    <message>
        <source>使用しているライブラリ:</source>
        <translation>Libraries:</translation>
    </message>
    <message>
        <source>Fennix の使い方</source>
        <translation>Fennix Guide</translation>
    </message>
    <message>
        <source>キーボードショートカット</source>
        <translation>Keyboard Shortcuts</translation>
    </message>
    <message>
        <source>キー</source>
        <translation>Keys</translation>
    </message>
    <message>
        <source>操作</source>
        <translation>Action</translation>
    </message>
    <message>
        <source>バージョン情報</source>
        <translation>About Fennix</translation>
    </message>
    <message>
        <source>ヘルプ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>線を引く</source>
        <translation>Draw strokes</translation>
    </message>
</context>
<context>
    <name>ImageFile</name>
    <message>
        <source>ファイルが見つからないか、読み取る権限がありません。</source>
        <translation>The file is missing or cannot be read (no permission).</translation>
    </message>
    <message>
        <source>通常のファイルではありません（フォルダ、FIFO、デバイスなど）。</source>
        <translation>Not a regular file (a folder, FIFO, device or the like).</translation>
    </message>
    <message>
        <source>画像として読み込めません。形式が違うか、壊れているか、途中で切れています。</source>
        <translation>Cannot be read as a picture: another format, damaged, or cut short.</translation>
    </message>
    <message>
        <source>画像が大きすぎます（2 億画素を超えるか、一辺が 32767 ピクセルを超えています）。</source>
        <translation>The picture is too large (over 200 megapixels, or a side over 32767 pixels).</translation>
    </message>
    <message>
        <source>図形の数が多すぎるか、描画に時間がかかりすぎます。</source>
        <translation>The drawing has too many shapes or takes too long to draw.</translation>
    </message>
</context>
<context>
    <name>ImagePreparation</name>
    <message>
        <source>トリミングのサイズを入力してください</source>
        <translation>Type the crop size</translation>
    </message>
    <message>
        <source>トリミングの画像をロードしてください</source>
        <translation>Load a picture to crop</translation>
    </message>
    <message>
        <source>トリミングのサイズ幅(Max) = </source>
        <translation>Crop width (max.) = </translation>
    </message>
    <message>
        <source>トリミングのサイズ高さ(Max) = </source>
        <translation>Crop height (max.) = </translation>
    </message>
</context>
<context>
    <name>LaunchFiles</name>
    <message>
        <source>ファイルが見つかりません：%1</source>
        <translation>File not found: %1</translation>
    </message>
    <message>
        <source>ファイルではありません：%1</source>
        <translation>Not a file: %1</translation>
    </message>
    <message>
        <source>不明なオプションです：%1</source>
        <translation>Unknown option: %1</translation>
    </message>
    <message>
        <source>モーフィングファイル(*.mph)でも画像ファイルでもありません：%1</source>
        <translation>Neither a morphing file (*.mph) nor a picture: %1</translation>
    </message>
    <message>
        <source>画像は開始画像と終了画像の 2 枚を一緒に指定してください（%1 枚）。</source>
        <translation>Give two pictures together, the start and the end picture (%1 given).</translation>
    </message>
    <message>
        <source>画像ファイルを 1 つだけドロップしてください。</source>
        <translation>Drop just one picture file.</translation>
    </message>
    <message>
        <source>画像ファイルではありません：%1</source>
        <translation>Not a picture file: %1</translation>
    </message>
</context>
<context>
    <name>LibraryVersions</name>
    <message>
        <source>（見つかりません）</source>
        <translation> (not found)</translation>
    </message>
</context>
<context>
    <name>MorphChain</name>
    <message>
        <source>
フレーム数が 2 より少ないプロジェクトです。</source>
        <translation>
The project has fewer than 2 frames.</translation>
    </message>
</context>
<context>
    <name>PointerStatus</name>
    <message>
        <source>%1%</source>
        <translation>%1%</translation>
    </message>
    <message>
        <source>開始画像 (%1, %2)</source>
        <translation>Start picture (%1, %2)</translation>
    </message>
    <message>
        <source>終了画像 (%1, %2)</source>
        <translation>End picture (%1, %2)</translation>
    </message>
</context>
<context>
    <name>ProgramDialog</name>
    <message>
        <source>作成中です。中止して閉じますか？</source>
        <translation>Creation is in progress. Stop and close?</translation>
    </message>
</context>
<context>
    <name>ProjectCopy</name>
    <message>
        <source>をコピーできませんでした。</source>
        <translation> could not be copied.</translation>
    </message>
</context>
<context>
    <name>ProjectFile</name>
    <message>
        <source>モーフィングファイルを読み込めませんでした。</source>
        <translation>Could not read the morph file </translation>
    </message>
    <message>
        <source>保存できませんでした。</source>
        <translation>Could not save </translation>
    </message>
    <message>
        <source>「キー=値」の形ではありません</source>
        <translation>not of the form &quot;key=value&quot;</translation>
    </message>
    <message>
        <source>[run] に知らないキーがあります</source>
        <translation>[run] holds an unknown key</translation>
    </message>
    <message>
        <source>キー「%1」が二度あります</source>
        <translation>the key &quot;%1&quot; appears twice</translation>
    </message>
    <message>
        <source>保持するフレーム数は 0 から %1 までの整数です</source>
        <translation>held frames are a whole number from 0 to %1</translation>
    </message>
    <message>
        <source>カーブは linear、in、out、in-out のどれかです</source>
        <translation>a curve is one of linear, in, out, in-out</translation>
    </message>
    <message>
        <source>版の行（version=）がありません</source>
        <translation>the version line (version=) is missing</translation>
    </message>
    <message>
        <source>版の番号が正しくありません</source>
        <translation>the version number is not valid</translation>
    </message>
    <message>
        <source>版 %1 の追加情報はこのプログラムでは読めません</source>
        <translation>additions of version %1 cannot be read by this program</translation>
    </message>
    <message>
        <source>終わりの行（[end]）がないまま終わっています</source>
        <translation>ends without the end line ([end])</translation>
    </message>
    <message>
        <source>[run] が二度あります</source>
        <translation>[run] appears twice</translation>
    </message>
    <message>
        <source>知らない節か行です</source>
        <translation>unknown section or line</translation>
    </message>
    <message>
        <source>[end] の後に行があります</source>
        <translation>lines follow [end]</translation>
    </message>
    <message>
        <source>開始画像（%1）と同じファイルには保存できません。</source>
        <translation>It cannot be saved over the start picture (%1).</translation>
    </message>
    <message>
        <source>終了画像（%1）と同じファイルには保存できません。</source>
        <translation>It cannot be saved over the end picture (%1).</translation>
    </message>
    <message>
        <source>モーフィングファイルの追加情報が壊れています（%1 行目：%2）。</source>
        <translation>The additions of the morph file are damaged (line %1: %2): </translation>
    </message>
    <message>
        <source>画像ファイルが無効です。</source>
        <translation>Image file not valid: </translation>
    </message>
    <message>
        <source>点の数の行（count=）がありません</source>
        <translation>the line with the number of points (count=) is missing</translation>
    </message>
    <message>
        <source>点の数は 1 から %1 までの整数です</source>
        <translation>the number of points is a whole number from 1 to %1</translation>
    </message>
    <message>
        <source>点の行が足りません</source>
        <translation>there are too few point lines</translation>
    </message>
    <message>
        <source>点の行は「x1 y1 x2 y2」の四つの整数です</source>
        <translation>a point line is four whole numbers &quot;x1 y1 x2 y2&quot;</translation>
    </message>
    <message>
        <source>[points] が二度あります</source>
        <translation>[points] appears twice</translation>
    </message>
    <message>
        <source>追加情報の始まりの行が壊れています</source>
        <translation>the line that starts the additions is damaged</translation>
    </message>
    <message>
        <source>画質は standard か smooth です</source>
        <translation>the quality is standard or smooth</translation>
    </message>
    <message>
        <source>[face-points] が二度あります</source>
        <translation>[face-points] appears twice</translation>
    </message>
    <message>
        <source>点が画像の外にあります</source>
        <translation>a point lies outside the picture</translation>
    </message>
    <message>
        <source>[fit-points] が二度あります</source>
        <translation>[fit-points] appears twice</translation>
    </message>
    <message>
        <source>線の行が足りません</source>
        <translation>stroke lines are missing</translation>
    </message>
    <message>
        <source>曲線の行は「x y」の二つの整数です</source>
        <translation>a curve line is two whole numbers &quot;x y&quot;</translation>
    </message>
    <message>
        <source>線の数の行（count=）がありません</source>
        <translation>the line with the number of strokes (count=) is missing</translation>
    </message>
    <message>
        <source>線の数は 1 から %1 までの整数です</source>
        <translation>the number of strokes is a whole number from 1 to %1</translation>
    </message>
    <message>
        <source>線の行は「stroke open|closed 始点側の曲線の点数 終点側の曲線の点数 点の組の数」です（曲線は 1 から %1 点、組は 2 から %2 組）</source>
        <translation>a stroke line is &quot;stroke open|closed START-CURVE-POINTS END-CURVE-POINTS PAIRS&quot; (curves of 1 to %1 points, 2 to %2 pairs)</translation>
    </message>
    <message>
        <source>線の点は合わせて %1 組までです</source>
        <translation>the strokes hold at most %1 pairs together</translation>
    </message>
    <message>
        <source>線の曲線が画像の外にあります</source>
        <translation>a curve of the stroke lies outside its picture</translation>
    </message>
    <message>
        <source>[strokes] が二度あります</source>
        <translation>[strokes] appears twice</translation>
    </message>
</context>
<context>
    <name>Prompts</name>
    <message>
        <source> は既に存在します。
上書きしますか？</source>
        <translation> already exists.
Replace it?</translation>
    </message>
</context>
<context>
    <name>QtPrompts</name>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>はい(&amp;Y)</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>いいえ(&amp;N)</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>再試行(&amp;R)</source>
        <translation>&amp;Retry</translation>
    </message>
</context>
<context>
    <name>QtTranslation</name>
    <message>
        <source>フォルダー</source>
        <translation>Folder</translation>
    </message>
</context>
<context>
    <name>RunSpace</name>
    <message>
        <source>フレームの書き出しには約 %1 必要ですが、空き領域は %2 しかありません。<byte value="xd"/>
途中でディスクがいっぱいになります。続けますか？</source>
        <translation>The frames need about %1, but only %2 is free.<byte value="xd"/>
The disk will fill up before the run ends. Continue?</translation>
    </message>
</context>
<context>
    <name>StrokeMaking</name>
    <message>
        <source>二つの画像の線の数が違います。</source>
        <translation>The two pictures hold different numbers of strokes.</translation>
    </message>
    <message>
        <source>線は %1 本までです。</source>
        <translation>At most %1 strokes.</translation>
    </message>
    <message>
        <source>その線はありません。</source>
        <translation>There is no such stroke.</translation>
    </message>
    <message>
        <source>自由点 %1：%2</source>
        <translation>free point %1: %2</translation>
    </message>
    <message>
        <source>始点がほかの点と同じです</source>
        <translation>the start point is that of another point</translation>
    </message>
    <message>
        <source>線 %1：%2</source>
        <translation>stroke %1: %2</translation>
    </message>
    <message>
        <source>線 %1 の %2 番目の点：%3</source>
        <translation>point %2 of stroke %1: %3</translation>
    </message>
    <message>
        <source>「stroke」か「stroke closed」の行がありません</source>
        <translation>a line &quot;stroke&quot; or &quot;stroke closed&quot; is missing</translation>
    </message>
    <message>
        <source>点の行は「x y」の二つの数か「to」です</source>
        <translation>a point line is two numbers &quot;x y&quot; or &quot;to&quot;</translation>
    </message>
    <message>
        <source>線に「to」の行がありません</source>
        <translation>the stroke has no line &quot;to&quot;</translation>
    </message>
    <message>
        <source>線の曲線に点がありません</source>
        <translation>a curve of the stroke has no points</translation>
    </message>
    <message>
        <source>線は %1 本、曲線の点は %2 個までです</source>
        <translation>at most %1 strokes and %2 points a curve</translation>
    </message>
</context>
<context>
    <name>VideoExport</name>
    <message>
        <source>動画ファイルの作成は失敗しました!
</source>
        <translation>Creating the video file failed!
</translation>
    </message>
    <message>
        <source>フォルダの中にモーフ画像データが見つかりません！</source>
        <translation>No morph frames were found in the folder!</translation>
    </message>
    <message>
        <source>幅と高さは 1 以上で、大きすぎない値にしてください。</source>
        <translation>Width and height must be at least 1 and not too large.</translation>
    </message>
    <message>
        <source>画像ファイルのロードで失敗しました!
</source>
        <translation>Loading an image file failed!
</translation>
    </message>
    <message>
        <source>保存先のファイルがモーフ画像データの 1 枚と同じです。</source>
        <translation>The file to save is one of the morph frames.</translation>
    </message>
    <message>
        <source>この形式のエンコーダがインストールされていません。</source>
        <translation>No encoder for this format is installed.</translation>
    </message>
    <message>
        <source>動画の圧縮処理でエラーが起きました。</source>
        <translation>An error occurred while compressing the video.</translation>
    </message>
    <message>
        <source>ディスクの空き容量が足りません。</source>
        <translation>There is not enough free disk space.</translation>
    </message>
    <message>
        <source>保存先に書き込む権限がありません。</source>
        <translation>No permission to write to the destination.</translation>
    </message>
    <message>
        <source>保存先のフォルダが見つかりません。</source>
        <translation>The destination folder was not found.</translation>
    </message>
    <message>
        <source>ファイルを書き込めませんでした。</source>
        <translation>The file could not be written.</translation>
    </message>
</context>
<context>
    <name>cDIB</name>
    <message>
        <source>ファイルが見つかりません。<byte value="xd"/>
</source>
        <translation>File not found.<byte value="xd"/>
</translation>
    </message>
</context>
</TS>
